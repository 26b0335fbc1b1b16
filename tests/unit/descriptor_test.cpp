// The descriptor's tags: the field rules, the limits and input that is no descriptor.
#include "config/descriptor.h"
#include "config/field_reader.h"
#include "fakes/fake_file_system.h"

#include <gtest/gtest.h>

namespace kernova::test {
namespace {

const std::string kDefault = "<default>";
constexpr std::size_t kLimit = FieldReader::kMaxFieldBytes;

std::string Repeat(const std::string& text, std::size_t times) {
    std::string out;
    while (times-- > 0) {
        out += text;
    }
    return out;
}

std::string Tag(const std::string& content, const std::string& tag = "Title") {
    FakeFileSystem files;
    files.AddFile("/kernova.xml", content);
    return ReadTag(files, tag, "/kernova.xml", kDefault);
}

const std::string kTypical = "<XML>\r\n<Title>Kernova Sample Fonts</Title>\r\n"
                             "<WebLink><URL>http://example.com/fonts</URL></WebLink>\r\n"
                             "<ShowFontPreview>True</ShowFontPreview>\r\n</XML>\r\n";

struct TagCase {
    std::string content, tag, expected;
};

class ReadTagRules : public ::testing::TestWithParam<TagCase> {};

TEST_P(ReadTagRules, GiveTheValue) {
    EXPECT_EQ(Tag(GetParam().content, GetParam().tag), GetParam().expected);
}

const std::string kAfterQuote =
    "\"<Title>Q</Title>\"<URL>lost</URL>\r\n<URLName>Kept</URLName>\r\n";
const std::string kAtLimit = "<Title>Long</Title>" + std::string(kLimit - 19, 'x');

INSTANTIATE_TEST_SUITE_P(
    Fields, ReadTagRules,
    ::testing::Values(
        TagCase{kTypical, "Title", "Kernova Sample Fonts"},
        TagCase{kTypical, "URL", "http://example.com/fonts"}, // nested in another element
        TagCase{kTypical, "sHoWfOnTpReViEw", "True"}, TagCase{kTypical, "Colour", kDefault},
        TagCase{"<URLName>Example</URLName>\r\n", "URL", kDefault},
        TagCase{"<title>  MiXeD  </title>\r\n", "Title", "  MiXeD  "},
        TagCase{"<Title></Title>\r\n", "Title", kDefault},
        TagCase{"<Title>Open ended\r\n</Title>\r\n", "Title", kDefault},
        TagCase{"<Title>Fonts, Inc.</Title>\r\n", "Title", kDefault}, // a comma ends the field
        TagCase{"<Title>First</Title>\r\n<Title>Second</Title>\r\n", "Title", "First"},
        TagCase{"<URL>a</URL><URLName>A</URLName>\r\n", "URLName", "A"},
        TagCase{"junk <Title>Short</Other> tail</Title>\r\n", "Title", "Short"},
        TagCase{"<XML>\n<Title>Unix</Title>\n", "Title", "Unix"},
        TagCase{"<XML>\r<Title>Mac</Title>\r", "Title", "Mac"},
        TagCase{"<Title>Two\rLines</Title>", "Title", kDefault},
        TagCase{"     <Title>Trail  </Title>   \r\n", "Title", "Trail  "},
        TagCase{"   \"<Title>Fonts, Inc.</Title>\"\r\n", "Title", "Fonts, Inc."},
        TagCase{"\"<Title>Line one\r\nline two</Title>\"\r\n", "Title", "Line one\r\nline two"},
        TagCase{"<Title>The \"Best\"</Title>\r\n", "Title", "The \"Best\""},
        TagCase{kAfterQuote, "URL", kDefault}, TagCase{kAfterQuote, "URLName", "Kept"},
        TagCase{"\"<Title>Open\r\n<URL>u</URL>\r\n", "URL", "u"},
        // At most 65 fields are examined; blank lines and commas count.
        TagCase{Repeat("x\r\n", 64) + "<Title>Deep</Title>\r\n", "Title", "Deep"},
        TagCase{Repeat("\r\n", 65) + "<Title>Deep</Title>\r\n", "Title", kDefault},
        TagCase{Repeat("a,", 65) + "<Title>Deep</Title>", "Title", kDefault},
        TagCase{std::string("\0\xff,<Title>Bin\x80</Title>,\0", 24), "Title", "Bin\x80"},
        // The longest field is read, one byte more is refused, quoted or not.
        TagCase{kAtLimit + "\r\n", "Title", "Long"}, TagCase{kAtLimit + "x", "Title", kDefault},
        TagCase{std::string(kLimit + 1, ' ') + "<Title>T</Title>", "Title", kDefault},
        TagCase{"\"<Title>Q</Title>" + std::string(kLimit, ',') + "\"", "Title", kDefault},
        TagCase{std::string(kLimit + 1, 'x') + "\r\n<Title>After</Title>", "Title", kDefault}));

TEST(ReadTag, WhatIsNoReadableDescriptorGivesTheDefault) {
    FakeFileSystem files;
    files.AddFolder("/folder");
    files.AddFile("/unreadable.xml", "<Title>Secret</Title>\r\n");
    files.failingReads.insert("/unreadable.xml");
    for (const char* path : {"/absent.xml", "/folder", "/unreadable.xml"}) {
        EXPECT_EQ(ReadTag(files, "Title", path, kDefault), kDefault) << path;
    }
    EXPECT_EQ(Tag(""), kDefault);
    std::string noise(1 << 18, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<char>((i * 7919 + i / 13) & 0xFF);
    }
    EXPECT_EQ(Tag(noise), kDefault);
    // An empty path reads DescriptorPath, anew at every call.
    files.AddFile("/kernova.xml", "<Title>Old</Title>\r\n");
    const std::string saved = DescriptorPath;
    DescriptorPath.clear();
    EXPECT_EQ(ReadTag(files, "Title", "", kDefault), kDefault);
    DescriptorPath = "/kernova.xml";
    EXPECT_EQ(ReadTag(files, "Title", "", kDefault), "Old");
    files.AddFile("/kernova.xml", "<Title>New</Title>\r\n");
    EXPECT_EQ(ReadTag(files, "Title", "", kDefault), "New");
    DescriptorPath = saved;
}

TEST(FieldReader, SplitsFieldsAndStopsAtTheEnd) {
    FakeFileSystem files;
    files.AddFile("/fields", "  a b ,\"c,d\"x,e\r\n\r\nf\rg\n\"h\ni");
    std::error_code ec;
    std::unique_ptr<InputFile> file = files.Open("/fields", ec);
    FieldReader reader(*file);
    std::vector<std::string> fields;
    while (!reader.AtEnd()) {
        fields.push_back(reader.Next().value_or("FAILED"));
    }
    EXPECT_EQ(fields, (std::vector<std::string>{"a b ", "c,d", "e", "", "f", "g", "h\ni"}));
    EXPECT_FALSE(reader.Next()) << "asking past the end is a failure";
}

} // namespace
} // namespace kernova::test
