#include "config/descriptor.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>
#include <string>

namespace kernova {
namespace {

using test::WriteFileBytes;

struct TagCase {
    const char* name;
    std::string content;
    std::string tag;
    std::string expected; // "<default>" when the caller's default must come back
};

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
                             "<Readme>True</Readme>\r\n"
                             "<License>False</License>\r\n"
                             "<WebLink><URL>http://example.com/fonts</URL></WebLink>\r\n"
                             "<URLName>Example Fonts</URLName>\r\n"
                             "<AddFavorites>True</AddFavorites>\r\n"
                             "<ShowFontPreview>True</ShowFontPreview>\r\n"
                             "</XML>\r\n";

class ReadTagRules : public ::testing::TestWithParam<TagCase> {
  protected:
    test::Sandbox sandbox;
};

TEST_P(ReadTagRules, FindsTheValueTheFieldRulesGive) {
    const TagCase& c = GetParam();
    const auto path = sandbox.work() / "kernova.xml";
    WriteFileBytes(path, c.content);
    EXPECT_EQ(ReadTag(c.tag, path.string(), kDefault), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptor, ReadTagRules,
    ::testing::Values(
        TagCase{"TypicalTitle", kTypical, "Title", "Kernova Sample Fonts"},
        TagCase{"TypicalBoolean", kTypical, "AddFavorites", "True"},
        TagCase{"NestedInAnotherElement", kTypical, "URL", "http://example.com/fonts"},
        TagCase{"UrlDoesNotMatchUrlName", "<URLName>Example</URLName>\r\n", "URL", kDefault},
        TagCase{"TagAskedInAnyCase", kTypical, "sHoWfOnTpReViEw", "True"},
        TagCase{"TagWrittenInLowerCaseValueKeepsItsCase", "<title>MiXeD Case</title>\r\n", "Title",
                "MiXeD Case"},
        TagCase{"SpacesAroundTheValueKept", "<Title>  Spaced Title  </Title>\r\n", "Title",
                "  Spaced Title  "},
        TagCase{"EmptyValueGivesDefault", "<Title></Title>\r\n", "Title", kDefault},
        TagCase{"NoClosingMarkerGivesDefault", "<Title>Open ended\r\n</Title>\r\n", "Title",
                kDefault},
        TagCase{"CommaInValueEndsTheField", "<Title>Fonts, Inc.</Title>\r\n", "Title", kDefault},
        TagCase{"FirstOfTwoWins", "<Title>First</Title>\r\n<Title>Second</Title>\r\n", "Title",
                "First"},
        TagCase{"TwoTagsOnOneLineUrl", "<URL>http://a.example</URL><URLName>A</URLName>\r\n", "URL",
                "http://a.example"},
        TagCase{"TwoTagsOnOneLineUrlName", "<URL>http://a.example</URL><URLName>A</URLName>\r\n",
                "URLName", "A"},
        TagCase{"AnyClosingMarkerEndsTheValue", "<Title>Short</Other> tail</Title>\r\n", "Title",
                "Short"},
        TagCase{"TextBeforeTheMarkerIgnored", "junk <Title>Value</Title>\r\n", "Title", "Value"},
        TagCase{"AbsentTagGivesDefault", kTypical, "Colour", kDefault},
        TagCase{"MarkerSplitByACommaNeverMatches", "<Ti,tle>Value</Title>\r\n", "Title", kDefault},
        // Line ends: CR LF, a lone LF and a lone CR each end a line; none at the end is fine.
        TagCase{"LoneLineFeeds", "<XML>\n<Title>Unix</Title>\n</XML>\n", "Title", "Unix"},
        TagCase{"LoneCarriageReturns", "<XML>\r<Title>Mac</Title>\r</XML>\r", "Title", "Mac"},
        TagCase{"NoLineEndAtTheEnd", "<Title>Last</Title>", "Title", "Last"},
        TagCase{"LineEndInsideValueEndsTheField", "<Title>Two\rLines</Title>", "Title", kDefault},
        // Leading spaces of a field are skipped, trailing ones kept.
        TagCase{"LeadingSpacesSkipped", "     <Title>Indented</Title>   \r\n", "Title", "Indented"},
        TagCase{"TrailingSpacesOfTheValueKept", "<Title>Trail  </Title>  \r\n", "Title", "Trail  "},
        // Double quotes.
        TagCase{"QuotedFieldKeepsCommas", "\"<Title>Fonts, Inc.</Title>\"\r\n", "Title",
                "Fonts, Inc."},
        TagCase{"QuotedFieldAfterLeadingSpaces", "   \"<Title>A, B</Title>\"\r\n", "Title", "A, B"},
        TagCase{"QuotedFieldRunsOverLineEnds", "\"<Title>Line one\r\nline two</Title>\"\r\n",
                "Title", "Line one\r\nline two"},
        TagCase{"QuoteInsideAFieldIsOrdinary", "<Title>The \"Best\" Fonts</Title>\r\n", "Title",
                "The \"Best\" Fonts"},
        TagCase{"TextAfterClosingQuoteDropped",
                "\"<Title>Quoted</Title>\"<URL>lost</URL>\r\n<URLName>Kept</URLName>\r\n", "URL",
                kDefault},
        TagCase{"FieldAfterClosingQuoteStillRead",
                "\"<Title>Quoted</Title>\"<URL>lost</URL>\r\n<URLName>Kept</URLName>\r\n",
                "URLName", "Kept"},
        TagCase{"UnclosedQuoteRunsToTheEnd", "\"<Title>Open\r\n<URL>u</URL>\r\n", "URL", "u"},
        TagCase{"EmptyQuotedFields", "\"\",\"\",<Title>After</Title>", "Title", "After"},
        // At most 65 fields are examined: blank lines and comma-separated fields count,
        // a CR LF is one line end.
        TagCase{"SixtyFifthFieldFound", Repeat("x\r\n", 64) + "<Title>Deep</Title>\r\n", "Title",
                "Deep"},
        TagCase{"SixtySixthFieldNotRead", Repeat("x\r\n", 65) + "<Title>Deep</Title>\r\n", "Title",
                kDefault},
        TagCase{"BlankLinesAreFields", Repeat("\r\n", 65) + "<Title>Deep</Title>\r\n", "Title",
                kDefault},
        TagCase{"CommasMakeFields", Repeat("a,", 64) + "<Title>Deep</Title>", "Title", "Deep"},
        TagCase{"CommasMakeFieldsPastTheLimit", Repeat("a,", 65) + "<Title>Deep</Title>", "Title",
                kDefault},
        TagCase{"BinaryBytesAroundTheTag",
                std::string("\x00\x01\xff\xfe,<Title>Bin\x80ry</Title>,\x00", 28), "Title",
                "Bin\x80ry"}),
    [](const ::testing::TestParamInfo<TagCase>& info) { return std::string(info.param.name); });

TEST(ReadTag, EmptyPathReadsDescriptorPath) {
    test::Sandbox sandbox;
    const auto path = sandbox.work() / "kernova.xml";
    WriteFileBytes(path, "<Title>From DescriptorPath</Title>\r\n");
    const std::string saved = DescriptorPath;
    DescriptorPath = path.string();
    EXPECT_EQ(ReadTag("Title", "", "none"), "From DescriptorPath");
    DescriptorPath = saved;
}

TEST(ReadTag, EveryCallReadsTheFileAnew) {
    test::Sandbox sandbox;
    const auto path = sandbox.work() / "kernova.xml";
    WriteFileBytes(path, "<Title>Old</Title>\r\n");
    ASSERT_EQ(ReadTag("Title", path.string(), ""), "Old");
    WriteFileBytes(path, "<Title>New</Title>\r\n");
    EXPECT_EQ(ReadTag("Title", path.string(), ""), "New");
}

} // namespace
} // namespace kernova
