// Small routines of package reading and the wizard: texts, numbers, names, lists, shares.
#include "app/boolean_text.h"
#include "app/text_decoding.h"
#include "app/text_file.h"
#include "archive/field_numbers.h"
#include "archive/text_routines.h"
#include "fakes/fake_file_system.h"
#include "fonts/font_copy.h"
#include "fonts/install_progress.h"
#include "ui/controls.h"

#include <gtest/gtest.h>

namespace kernova::test {
namespace {

using namespace std::string_literals;

TEST(Text, DecodesAsUtf8OrElseWindows1252) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"\x93q\x94 \x80 \x85", "\xE2\x80\x9Cq\xE2\x80\x9D \xE2\x82\xAC \xE2\x80\xA6"},
        {"\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"}, // left open: C1
        {"\xC3\xA9 \xE9", "\xC3\x83\xC2\xA9 \xC3\xA9"},   // one invalid sequence decides
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                 // overlong
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"}, // surrogate
        {"ab\xE2\x82", "ab\xC3\xA2\xE2\x80\x9A"}};        // truncated
    for (const auto& [bytes, decoded] : cases) {
        EXPECT_EQ(DecodeAnsiText(bytes), decoded) << bytes;
    }
}

TEST(Text, EveryLineEndsInCrLf) {
    const std::pair<std::string, std::string> cases[] = {{"", ""},
                                                         {"\r\n", "\r\n"},
                                                         {"a\r\nb", "a\r\nb\r\n"},
                                                         {"a\nb\n", "a\r\nb\r\n"},
                                                         {"a\rb\r", "a\r\nb\r\n"},
                                                         {"a\n\rb", "a\r\n\r\nb\r\n"},
                                                         {"a\r\n\r\nb", "a\r\n\r\nb\r\n"},
                                                         {"\xEF\xBB\xBFHi\n", "Hi\r\n"},
                                                         {"Gr\xFC\xDF", "Gr\xC3\xBC\xC3\x9F\r\n"}};
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(TextWithCrLf(bytes), text) << bytes;
    }
    FakeFileSystem files;
    files.AddFile("/bad.txt", "x");
    files.failingReads.insert("/bad.txt");
    EXPECT_THROW(ReadTextWithCrLf(files, "/missing.txt"), std::system_error);
    EXPECT_THROW(ReadTextWithCrLf(files, "/bad.txt"), std::system_error);
}

TEST(Text, BooleansAreTrueFalseOrNumbers) {
    for (const char* text : {"True", "tRuE", " True ", "1", "-1", "2.5", ".5", "1e-9", "+7"}) {
        EXPECT_TRUE(TextToBoolean(text)) << text;
    }
    for (const char* text : {"False", "false", "0", "-0", "0.000", "0e5", "  0 "}) {
        EXPECT_FALSE(TextToBoolean(text)) << text;
    }
    for (const char* text : {"", "yes", "Tru", "1x", "1.2.3", "e5", ".", "-", "1e", "inf", "nan",
                             "0x1", "\tTrue", "True False"}) {
        EXPECT_THROW(TextToBoolean(text), std::invalid_argument) << text;
    }
}

TEST(FieldNumbers, LeadingNumbersRoundingAndSizeFields) {
    const std::pair<const char*, double> leading[] = {
        {"5", 5},     {"\t\n 7", 7}, {"1 2", 12},  {"-3", -3}, {"+4", 4},
        {"2.5", 2.5}, {".5", 0.5},   {"4D2", 400}, {"4e+", 4}, {"12abc", 12},
        {"", 0},      {"--5", 0},    {"&H10", 0}};
    for (const auto& [text, value] : leading) {
        EXPECT_DOUBLE_EQ(LeadingNumber(text), value) << text;
    }
    EXPECT_EQ(LeadingNumber("\x01"s + "5"), 0);
    const std::pair<double, std::optional<std::int16_t>> rounded[] = {
        {2.5, 2},      {3.5, 4},           {-2.5, -2},  {32767.4, 32767},
        {32767.5, {}}, {-32768.5, -32768}, {-32769, {}}};
    for (const auto& [value, result] : rounded) {
        EXPECT_EQ(RoundToInt16(value), result) << value;
    }
    const std::pair<std::string, std::optional<std::int64_t>> sizes[] = {
        {"0000000012", 12}, {"  12      ", 12},  {"-000000012", -12}, {"9999999999", 9999999999},
        {"0000 00012", {}}, {"000000012\r", {}}, {"+", {}},           {std::string(10, '\0'), {}}};
    for (const auto& [field, size] : sizes) {
        EXPECT_EQ(ParseSizeField(field), size) << field;
    }
}

TEST(TextRoutines, ReplaceStripAndTrim) {
    std::string text = "a-b-\r";
    EXPECT_EQ(&ReplaceAll(text, "-", "--"), &text);
    EXPECT_EQ(text, "a--b--\r"); // the replacement is not searched again
    std::string field = "\r\r\n \tname.ttf\r\n\0"s;
    EXPECT_EQ(StripLineBreaks(field), " \tname.ttf\0"s);
    EXPECT_EQ(TrimSpaces("  \ta b\t  "), "\ta b\t");
}

TEST(StringList, SortedListsIgnoreLetterCaseAndKeepTheOrderOfEqualItems) {
    StringList sorted(true), plain(false);
    for (const char* item : {"b.TTF", "a.ttf", "_x", "B.ttf", "A.ttf", "[y", "c"}) {
        sorted.AddItem(item);
        plain.AddItem(item);
    }
    EXPECT_EQ(sorted.items(),
              (std::vector<std::string>{"[y", "_x", "a.ttf", "A.ttf", "b.TTF", "B.ttf", "c"}));
    EXPECT_EQ(plain.List(1), "a.ttf");
}

TEST(NumberedName, PutsTheNumberBeforeTheExtension) {
    EXPECT_EQ(NumberedName("a.b.TTF", 12), "a.b_12.TTF");
    EXPECT_EQ(NumberedName("fontTTF", 1), "fontTTF_1");
    EXPECT_EQ(NumberedName(".ttf", 1), ".ttf_1");
}

TEST(Progress, FillIsTheSharedTroughAndThePercentageIsRoundedDown) {
    const std::tuple<int, int, int, const char*> cases[] = {
        {3, 1, 1470, "33 %"},      {1, 1, 4410, "100 %"},   {7, 1, 630, "14 %"},
        {1000, 999, 4406, "99 %"}, {100, 29, 1279, "29 %"}, {100, 57, 2514, "57 %"}};
    for (const auto& [count, handled, fill, percent] : cases) {
        EXPECT_EQ(ProgressFillWidth(4410, count, handled), fill) << count << " " << handled;
        EXPECT_EQ(PercentText(count, handled), percent);
    }
}

} // namespace
} // namespace kernova::test
