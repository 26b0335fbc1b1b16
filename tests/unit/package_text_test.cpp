// Package texts as the wizard holds them: decoding, line ends, Boolean tags.
#include "app/boolean_text.h"
#include "app/text_decoding.h"
#include "app/text_file.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace kernova {
namespace {

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::string expected;
};

class DecodeAnsiTextTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeAnsiTextTest, DecodesAsUtf8OrWindows1252) {
    EXPECT_EQ(DecodeAnsiText(GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DecodeAnsiTextTest,
    ::testing::Values(
        DecodeCase{"Ascii", "Plain text\r\n", "Plain text\r\n"},
        DecodeCase{"Utf8KeptAsIs", "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
                   "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        DecodeCase{"Latin1Range", "Caf\xE9", "Caf\xC3\xA9"},
        DecodeCase{"Windows1252Punctuation", "\x93quoted\x94 \x80 \x85",
                   "\xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x82\xAC \xE2\x80\xA6"},
        // The five bytes the code page leaves open keep their C1 meaning.
        DecodeCase{"UndefinedBytes", "\x81\x8D\x8F\x90\x9D",
                   "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
        // One invalid sequence makes the whole text Windows-1252, valid-looking parts too.
        DecodeCase{"MixedIsWindows1252", "\xC3\xA9 \xE9", "\xC3\x83\xC2\xA9 \xC3\xA9"},
        DecodeCase{"OverlongIsNotUtf8", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
        DecodeCase{"SurrogateIsNotUtf8", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        DecodeCase{"TruncatedIsNotUtf8", "ab\xE2\x82", "ab\xC3\xA2\xE2\x80\x9A"},
        DecodeCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct LineCase {
    const char* name;
    std::string bytes;
    std::string expected;
};

class TextWithCrLfTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(TextWithCrLfTest, EveryLineEndsInCrLf) {
    EXPECT_EQ(TextWithCrLf(GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TextWithCrLfTest,
    ::testing::Values(LineCase{"Empty", "", ""}, LineCase{"OneLineNoEnd", "abc", "abc\r\n"},
                      LineCase{"CrLf", "a\r\nb\r\n", "a\r\nb\r\n"},
                      LineCase{"LastLineWithoutEnd", "a\r\nb", "a\r\nb\r\n"},
                      LineCase{"LfOnly", "a\nb\n", "a\r\nb\r\n"},
                      LineCase{"CrOnly", "a\rb\r", "a\r\nb\r\n"},
                      LineCase{"BlankLinesKept", "a\r\n\r\n\r\nb", "a\r\n\r\n\r\nb\r\n"},
                      LineCase{"OnlyALineEnd", "\r\n", "\r\n"},
                      LineCase{"LfCrIsTwoLines", "a\n\rb", "a\r\n\r\nb\r\n"},
                      LineCase{"BomDropped", "\xEF\xBB\xBFHi\n", "Hi\r\n"},
                      LineCase{"Windows1252Decoded",
                               "Gr\xFC\xDF"
                               "e\r\n",
                               "Gr\xC3\xBC\xC3\x9F"
                               "e\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadTextWithCrLf, MissingFileThrows) {
    EXPECT_THROW(ReadTextWithCrLf("/nonexistent/kernova/readme.txt"), std::system_error);
}

struct BooleanCase {
    const char* text;
    bool expected;
};

class TextToBooleanTest : public ::testing::TestWithParam<BooleanCase> {};

TEST_P(TextToBooleanTest, ReadsTrueFalseAndNumbers) {
    EXPECT_EQ(TextToBoolean(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Booleans, TextToBooleanTest,
                         ::testing::Values(BooleanCase{"True", true}, BooleanCase{"TRUE", true},
                                           BooleanCase{"tRuE", true}, BooleanCase{"False", false},
                                           BooleanCase{"false", false}, BooleanCase{"0", false},
                                           BooleanCase{"-0", false}, BooleanCase{"0.000", false},
                                           BooleanCase{"0e5", false}, BooleanCase{"1", true},
                                           BooleanCase{"-1", true}, BooleanCase{"2.5", true},
                                           BooleanCase{".5", true}, BooleanCase{"1e-9", true},
                                           BooleanCase{"+7", true}, BooleanCase{" True ", true},
                                           BooleanCase{"  0 ", false}));

class NotABooleanTest : public ::testing::TestWithParam<const char*> {};

TEST_P(NotABooleanTest, Throws) {
    EXPECT_THROW(TextToBoolean(GetParam()), std::invalid_argument) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(NotBooleans, NotABooleanTest,
                         ::testing::Values("", " ", "yes", "no", "Tru", "Truee", "1x", "x1",
                                           "1.2.3", "e5", ".", "-", "1e", "inf", "nan", "0x1",
                                           "\tTrue", "True False"));

} // namespace
} // namespace kernova
