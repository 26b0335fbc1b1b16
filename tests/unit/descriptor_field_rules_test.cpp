#include "config/descriptor.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>
#include <string>

namespace kernova {
namespace {

const std::string kDefault = "<default>";

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

const std::string kTypical = "<XML>\r\n"
                             "<Version>Kernova 5</Version>\r\n"
                             "<Title>Kernova Sample Fonts</Title>\r\n"
                             "<WebLink><URL>http://example.com/fonts</URL></WebLink>\r\n"
                             "<URLName>Example Fonts</URLName>\r\n"
                             "<ShowFontPreview>True</ShowFontPreview>\r\n"
                             "</XML>\r\n";

// Each case: the descriptor's bytes, the tag asked for, the value (kDefault: the caller's
// default comes back).
TEST(ReadTag, FindsTheValueTheFieldRulesGive) {
    const std::string twoOnALine = "<URL>http://a.example</URL><URLName>A</URLName>\r\n";
    const std::string afterQuote =
        "\"<Title>Quoted</Title>\"<URL>lost</URL>\r\n<URLName>Kept</URLName>\r\n";
    const struct {
        std::string content, tag, expected;
    } cases[] = {
        {kTypical, "Title", "Kernova Sample Fonts"},
        {kTypical, "URL", "http://example.com/fonts"}, // nested in another element
        {kTypical, "sHoWfOnTpReViEw", "True"},         // tag asked in any case
        {kTypical, "Colour", kDefault},
        {"<URLName>Example</URLName>\r\n", "URL", kDefault},
        {"<title>MiXeD Case</title>\r\n", "Title", "MiXeD Case"},
        {"<Title>  Spaced Title  </Title>\r\n", "Title", "  Spaced Title  "},
        {"<Title></Title>\r\n", "Title", kDefault},
        {"<Title>Open ended\r\n</Title>\r\n", "Title", kDefault},
        {"<Title>Fonts, Inc.</Title>\r\n", "Title", kDefault}, // a comma ends the field
        {"<Title>First</Title>\r\n<Title>Second</Title>\r\n", "Title", "First"},
        {twoOnALine, "URL", "http://a.example"},
        {twoOnALine, "URLName", "A"},
        {"<Title>Short</Other> tail</Title>\r\n", "Title", "Short"},
        {"junk <Title>Value</Title>\r\n", "Title", "Value"},
        {"<Ti,tle>Value</Title>\r\n", "Title", kDefault},
        // Line ends: CR LF, a lone LF and a lone CR each end a line; none at the end is fine.
        {"<XML>\n<Title>Unix</Title>\n</XML>\n", "Title", "Unix"},
        {"<XML>\r<Title>Mac</Title>\r</XML>\r", "Title", "Mac"},
        {"<Title>Last</Title>", "Title", "Last"},
        {"<Title>Two\rLines</Title>", "Title", kDefault},
        // Leading spaces of a field are skipped, trailing ones kept.
        {"     <Title>Indented</Title>   \r\n", "Title", "Indented"},
        {"<Title>Trail  </Title>  \r\n", "Title", "Trail  "},
        // Double quotes.
        {"   \"<Title>Fonts, Inc.</Title>\"\r\n", "Title", "Fonts, Inc."},
        {"\"<Title>Line one\r\nline two</Title>\"\r\n", "Title", "Line one\r\nline two"},
        {"<Title>The \"Best\" Fonts</Title>\r\n", "Title", "The \"Best\" Fonts"},
        {afterQuote, "URL", kDefault},
        {afterQuote, "URLName", "Kept"},
        {"\"<Title>Open\r\n<URL>u</URL>\r\n", "URL", "u"},
        {"\"\",\"\",<Title>After</Title>", "Title", "After"},
        // At most 65 fields are examined: blank lines and comma-separated fields count,
        // a CR LF is one line end.
        {Repeat("x\r\n", 64) + "<Title>Deep</Title>\r\n", "Title", "Deep"},
        {Repeat("x\r\n", 65) + "<Title>Deep</Title>\r\n", "Title", kDefault},
        {Repeat("\r\n", 65) + "<Title>Deep</Title>\r\n", "Title", kDefault},
        {Repeat("a,", 64) + "<Title>Deep</Title>", "Title", "Deep"},
        {Repeat("a,", 65) + "<Title>Deep</Title>", "Title", kDefault},
        {std::string("\x00\x01\xff\xfe,<Title>Bin\x80ry</Title>,\x00", 28), "Title", "Bin\x80ry"},
    };
    test::Sandbox sandbox;
    const auto path = sandbox.work() / "kernova.xml";
    for (const auto& c : cases) {
        test::WriteFileBytes(path, c.content);
        EXPECT_EQ(ReadTag(c.tag, path.string(), kDefault), c.expected) << c.content;
    }
}

TEST(ReadTag, EmptyPathReadsDescriptorPathAndEveryCallReadsAnew) {
    test::Sandbox sandbox;
    const auto path = sandbox.work() / "kernova.xml";
    test::WriteFileBytes(path, "<Title>Old</Title>\r\n");
    const std::string saved = DescriptorPath;
    DescriptorPath = path.string();
    EXPECT_EQ(ReadTag("Title", "", "none"), "Old");
    DescriptorPath = saved;
    test::WriteFileBytes(path, "<Title>New</Title>\r\n");
    EXPECT_EQ(ReadTag("Title", path.string(), ""), "New");
}

} // namespace
} // namespace kernova
