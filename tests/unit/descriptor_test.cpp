// The descriptor's tags (the field rules, the limits, input that is no descriptor) and
// the text routines of package reading. The count and size fields' numbers are read in
// the directory pass's table.
#include "app/boolean_text.h"
#include "app/text_file.h"
#include "archive/field_numbers.h"
#include "archive/text_routines.h"
#include "config/descriptor.h"
#include "config/field_reader.h"
#include "fakes/fake_file_system.h"

#include <cmath>
#include <gtest/gtest.h>

namespace kernova::test {
namespace {

using namespace std::string_literals;

constexpr std::size_t kLimit = FieldReader::kMaxFieldBytes;

std::string Repeat(const std::string& text, std::size_t times) {
    std::string out;
    while (times-- > 0) {
        out += text;
    }
    return out;
}

TEST(ReadTag, FollowsTheFieldRulesAndGivesTheDefaultForWhatIsNoReadableDescriptor) {
    const std::string typical = "<XML>\r\n<Title>Sample Fonts</Title>\r\n"
                                "<WebLink><URL>http://example.com</URL></WebLink>\r\n</XML>\r\n";
    const std::string afterQuote = "\"<Title>Q</Title>\"<URL>lost</URL>\r\n<URLName>Kept</URLName>";
    const std::string atLimit = "<Title>Long</Title>" + std::string(kLimit - 19, 'x');
    // The descriptor's bytes, the tag asked for, the value ("-": the caller's default).
    const std::string cases[][3] = {
        {typical, "tItLe", "Sample Fonts"},
        {typical, "URL", "http://example.com"},
        {"<URLName>E</URLName>", "URL", "-"},
        {"<title>  MiXeD  </title>", "Title", "  MiXeD  "},
        {"<Title></Title>", "Title", "-"},
        {"<Title>Open ended\r\n</Title>", "Title", "-"},
        {"<Title>a, b</Title>", "Title", "-"},
        {"<Title>1</Title>\r\n<Title>2</Title>", "Title", "1"},
        {"junk <Title>Short</Other> tail</Title>", "Title", "Short"},
        {"<XML>\n<Title>Unix</Title>\n", "Title", "Unix"},
        {"<X>\r<Title>Mac</Title>\r", "Title", "Mac"},
        {"<Title>Two\rLines</Title>", "Title", "-"},
        {"  \"<Title>a, b</Title>\"\r\n", "Title", "a, b"},
        {"\"<Title>one\r\ntwo</Title>\"", "Title", "one\r\ntwo"},
        {"<Title>The \"Best\"</Title>", "Title", "The \"Best\""},
        {afterQuote, "URL", "-"},
        {afterQuote, "URLName", "Kept"},
        {"\"<Title>Open\r\n<URL>u</URL>\r\n", "URL", "u"},
        {Repeat("x\r\n", 64) + "<Title>Deep</Title>", "Title", "Deep"}, // 65 fields are looked at
        {Repeat("\r\n", 65) + "<Title>Deep</Title>", "Title", "-"},
        {Repeat("a,", 65) + "<Title>Deep</Title>", "Title", "-"},
        {"\0\xff,<Title>Bin\x80</Title>,\0"s, "Title", "Bin\x80"},
        {atLimit + "\r\n", "Title", "Long"}, // the longest field; one byte more is refused
        {atLimit + "x", "Title", "-"},
        {std::string(kLimit + 1, ' ') + "<Title>T</Title>", "Title", "-"},
        {"\"<Title>Q</Title>" + std::string(kLimit, ',') + "\"", "Title", "-"},
        {std::string(kLimit + 1, 'x') + "\r\n<Title>After</Title>", "Title", "-"}};
    FakeFileSystem files;
    for (const auto& [bytes, tag, value] : cases) {
        files.AddFile("/kernova.xml", bytes);
        EXPECT_EQ(ReadTag(files, tag, "/kernova.xml", "-"), value)
            << ::testing::PrintToString(bytes.substr(0, 50));
    }
    files.AddFile("/unreadable.xml", "<Title>Secret</Title>");
    files.failingReads.insert("/unreadable.xml");
    files.AddFile("/kernova.xml", "<Title>Old</Title>");
    for (const char* path : {"/absent.xml", "/", "/unreadable.xml"}) {
        EXPECT_EQ(ReadTag(files, "Title", path, "-"), "-") << path;
    }
    // An empty path reads DescriptorPath, anew at every call.
    const std::string saved = DescriptorPath;
    EXPECT_EQ((DescriptorPath = "", ReadTag(files, "Title", "", "-")), "-");
    EXPECT_EQ((DescriptorPath = "/kernova.xml", ReadTag(files, "Title", "", "-")), "Old");
    files.AddFile("/kernova.xml", "<Title>New</Title>");
    EXPECT_EQ(ReadTag(files, "Title", "", "-"), "New");
    DescriptorPath = saved;
}

TEST(Text, DecodesUtf8OrElseWindows1252AndEndsEveryLineInCrLf) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"a\r\nb", "a\r\nb\r\n"},
        {"a\nb\n", "a\r\nb\r\n"},
        {"a\rb\r", "a\r\nb\r\n"},
        {"a\n\rb", "a\r\n\r\nb\r\n"},
        {"\xEF\xBB\xBFGr\xFC\xDF", "Gr\xC3\xBC\xC3\x9F\r\n"}, // the byte-order mark goes
        {"Caf\xC3\xA9 \xF0\x9F\x98\x80", "Caf\xC3\xA9 \xF0\x9F\x98\x80\r\n"},
        {"\x81\x9D", "\xC2\x81\xC2\x9D\r\n"},                 // left open by the code page: C1
        {"\xC3\xA9 \xE9", "\xC3\x83\xC2\xA9 \xC3\xA9\r\n"},   // one invalid sequence decides
        {"\xC0\xAF", "\xC3\x80\xC2\xAF\r\n"},                 // overlong
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC\r\n"}, // surrogate
        {"\x9F\xA0\xFF", "\xC5\xB8\xC2\xA0\xC3\xBF\r\n"},     // the top of the code page
        {"\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF\r\n"},         // U+10FFFF is still UTF-8
        {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC\r\n"}}; // past it is not
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(TextWithCrLf(bytes), text) << bytes;
    }
    FakeFileSystem files;
    EXPECT_THROW(ReadTextWithCrLf(files, "/missing.txt"), std::system_error);
    // A text longer than a page shows is cut after its last whole line, saying so.
    files.AddFile("/long.txt", "one\ntwo\nthree");
    EXPECT_EQ(ReadTextWithCrLf(files, "/long.txt", 10),
              "one\r\ntwo\r\n\r\n[5 more bytes of this text are not shown.]\r\n");
    // What packages and fonts call themselves never carries a control character.
    EXPECT_EQ(ReplaceControls("a\x1b[2Jb\r\n\x7f\xC2\x9B\xC2\xA0"), "a?[2Jb????\xC2\xA0");
}

TEST(Text, BooleansAreTrueFalseOrNumbersReadAsOnEveryRuntime) {
    for (const char* text : {"True", " tRuE ", "-1", "2.5", ".5", "1e-9", "+7"}) {
        EXPECT_TRUE(TextToBoolean(text)) << text;
    }
    for (const char* text : {"false", "FALSE", "0", "-0", "00", "0.000", "0e5"}) {
        EXPECT_FALSE(TextToBoolean(text)) << text;
    }
    for (const char* text : {"", "yes", "Tru", "1x", "1.2.3", "e5", ".", "1e", "1e+", "inf", "0x1",
                             "1,5", "\tTrue", "True\r", "True False"}) {
        EXPECT_THROW(TextToBoolean(text), std::invalid_argument) << text;
    }
    // As on every C runtime: the D exponent, overflow to infinity.
    const std::pair<const char*, double> numbers[] = {
        {"1d-2", 0.01}, {"-0.25", -0.25}, {"1e400", HUGE_VAL}, {"-1e400", -HUGE_VAL}};
    for (const auto& [text, value] : numbers) {
        EXPECT_EQ(LeadingNumber(text), value) << text;
    }
}

} // namespace
} // namespace kernova::test
