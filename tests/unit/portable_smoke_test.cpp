// The portable text routines through their public headers, with the cases where a C runtime
// or a platform could differ: split line ends, escapes made by snprintf, rounding mode,
// number conversion, locale-free ordering. Built on Linux and, under Wine, on Windows.
#include "app/boolean_text.h"
#include "app/text_decoding.h"
#include "archive/field_numbers.h"
#include "archive/line_ends.h"
#include "archive/plain_file_name.h"
#include "archive/text_routines.h"
#include "ui/controls.h"

#include <cmath>
#include <gtest/gtest.h>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kernova {
namespace {

using namespace std::string_literals;

TEST(CrLfConverter, LineEndsSplitAcrossPiecesBecomeOneCrLf) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"a\nb"}, "a\r\nb"},       {{"a\r\nb"}, "a\r\nb"},
        {{"a\r", "\nb"}, "a\r\nb"}, // the CR ended the previous piece
        {{"a", "\n"}, "a\r\n"},     {{"\n\n"}, "\r\n\r\n"},
        {{"\r\r\n"}, "\r\r\n"},     {{"\n\r"}, "\r\n\r"},
        {{"", "\n", ""}, "\r\n"},
    };
    for (const auto& [pieces, expected] : cases) {
        CrLfConverter converter;
        std::string out;
        for (const std::string& piece : pieces) {
            converter.Convert(piece, out);
        }
        EXPECT_EQ(out, expected) << Printable(expected);
    }
}

TEST(PlainFileName, OnlyANameThatStaysInItsFolder) {
    const std::pair<std::string, bool> cases[] = {
        {"font.ttf", true}, {"...", true},  {"a b.TTF", true}, {"", false},     {".", false},
        {"..", false},      {"a/b", false}, {"/a", false},     {"a\\b", false}, {"a\0b"s, false},
    };
    for (const auto& [name, plain] : cases) {
        EXPECT_EQ(IsPlainFileName(name), plain) << Printable(name);
    }
}

TEST(Printable, ControlBytesAndBackslashesAreEscaped) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\tb\r\n", "a\\tb\\r\\n"},          {"C:\\x", "C:\\\\x"},
        {"\x01\x1f\x7f"s, "\\x01\\x1f\\x7f"}, {"\0"s, "\\x00"},
        {"Caf\xC3\xA9 ~", "Caf\xC3\xA9 ~"}, // bytes above 0x7F are text, not controls
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(Printable(text), expected);
    }
}

TEST(TrimSpaces, SpacesOnlyNotOtherBlanks) {
    const std::pair<std::string, std::string> cases[] = {
        {"  a b  ", "a b"}, {"\ta\t", "\ta\t"}, {"   ", ""}, {"", ""}, {" \r\n ", "\r\n"}};
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(TrimSpaces(text), expected) << Printable(text);
    }
}

TEST(StringList, SortedListIgnoresLetterCaseAndKeepsEqualItemsInOrder) {
    const std::vector<std::string> added = {"b.ttf", "A.ttf", "_x.ttf", "a.ttf", "C.ttf", "B.ttf"};
    StringList sorted(true);
    StringList unsorted(false);
    for (const std::string& item : added) {
        sorted.AddItem(item);
        unsorted.AddItem(item);
    }
    // "_" (0x5F) sorts after the capitals as bytes but before the letters once folded.
    EXPECT_EQ(sorted.items(),
              (std::vector<std::string>{"_x.ttf", "A.ttf", "a.ttf", "b.ttf", "B.ttf", "C.ttf"}));
    EXPECT_EQ(unsorted.items(), added);
}

TEST(FieldNumbers, ConversionAndRoundingAsOnEveryRuntime) {
    const std::pair<const char*, double> numbers[] = {
        {"1.5e1", 15}, {"-0.25", -0.25}, {"1d-2", 0.01}, {"0.1", 0.1}, {"7.", 7}};
    for (const auto& [text, value] : numbers) {
        EXPECT_DOUBLE_EQ(LeadingNumber(text), value) << text;
    }
    EXPECT_EQ(LeadingNumber("1e400"), HUGE_VAL);
    EXPECT_EQ(LeadingNumber("-1e400"), -HUGE_VAL);

    const std::pair<double, std::optional<std::int16_t>> rounded[] = {
        {0.5, 0}, {1.5, 2}, {-1.5, -2}, {-0.5, 0}, {HUGE_VAL, {}}, {std::nan(""), {}}};
    for (const auto& [value, expected] : rounded) {
        EXPECT_EQ(RoundToInt16(value), expected) << value;
    }
}

TEST(TextToBoolean, NumbersAndWordsWithTheirSurroundingSpaces) {
    const std::pair<const char*, bool> cases[] = {
        {"FALSE", false}, {" 3 ", true}, {"0.0e+0", false}, {"-0.001", true}, {"00", false}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(TextToBoolean(text), value) << text;
    }
    for (const char* text : {"True\r", "1,5", "1e+"}) {
        EXPECT_THROW(TextToBoolean(text), std::invalid_argument) << Printable(text);
    }
}

TEST(DecodeAnsiText, TopOfWindows1252AndTheEndOfUnicode) {
    const std::pair<std::string, std::string> cases[] = {
        {"\x9F", "\xC5\xB8"},                     // Y with diaeresis, from the 0x80..0x9F table
        {"\xA0\xFF", "\xC2\xA0\xC3\xBF"},         // Latin-1 above 0x9F
        {"\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"}, // U+10FFFF is still UTF-8
        {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"}, // past it is not
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(DecodeAnsiText(bytes), expected) << Printable(bytes);
        EXPECT_TRUE(IsValidUtf8(DecodeAnsiText(bytes)));
    }
}

} // namespace
} // namespace kernova
