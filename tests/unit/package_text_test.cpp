// Package texts as the wizard holds them: decoding, line ends, Boolean tags.
#include "app/boolean_text.h"
#include "app/text_decoding.h"
#include "app/text_file.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace kernova {
namespace {

struct TextCase {
    const char* name;
    std::string bytes;
    std::string expected;
};

class DecodeAnsiTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(DecodeAnsiTextTest, DecodesAsUtf8OrWindows1252) {
    EXPECT_EQ(DecodeAnsiText(GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DecodeAnsiTextTest,
    ::testing::Values(
        TextCase{"Empty", "", ""},
        TextCase{"Utf8KeptAsIs", "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\r\n",
                 "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\r\n"},
        TextCase{"Windows1252Punctuation", "\x93quoted\x94 \x80 \x85",
                 "\xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x82\xAC \xE2\x80\xA6"},
        // The five bytes the code page leaves open keep their C1 meaning.
        TextCase{"UndefinedBytes", "\x81\x8D\x8F\x90\x9D",
                 "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
        // One invalid sequence makes the whole text Windows-1252, valid-looking parts too.
        TextCase{"MixedIsWindows1252", "\xC3\xA9 \xE9", "\xC3\x83\xC2\xA9 \xC3\xA9"},
        TextCase{"OverlongIsNotUtf8", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
        TextCase{"SurrogateIsNotUtf8", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        TextCase{"TruncatedIsNotUtf8", "ab\xE2\x82", "ab\xC3\xA2\xE2\x80\x9A"}),
    [](const auto& info) { return std::string(info.param.name); });

class TextWithCrLfTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextWithCrLfTest, EveryLineEndsInCrLf) {
    EXPECT_EQ(TextWithCrLf(GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TextWithCrLfTest,
    ::testing::Values(TextCase{"Empty", "", ""}, TextCase{"OnlyALineEnd", "\r\n", "\r\n"},
                      TextCase{"LastLineWithoutEnd", "a\r\nb", "a\r\nb\r\n"},
                      TextCase{"LfOnly", "a\nb\n", "a\r\nb\r\n"},
                      TextCase{"CrOnly", "a\rb\r", "a\r\nb\r\n"},
                      TextCase{"BlankLinesKept", "a\r\n\r\n\r\nb", "a\r\n\r\n\r\nb\r\n"},
                      TextCase{"LfCrIsTwoLines", "a\n\rb", "a\r\n\r\nb\r\n"},
                      TextCase{"BomDropped", "\xEF\xBB\xBFHi\n", "Hi\r\n"},
                      TextCase{"Windows1252Decoded", "Gr\xFC\xDF", "Gr\xC3\xBC\xC3\x9F\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadTextWithCrLf, MissingFileThrows) {
    EXPECT_THROW(ReadTextWithCrLf("/nonexistent/kernova/readme.txt"), std::system_error);
}

TEST(TextToBoolean, ReadsTrueFalseAndNumbers) {
    for (const char* text : {"True", "tRuE", " True ", "1", "-1", "2.5", ".5", "1e-9", "+7"}) {
        EXPECT_TRUE(TextToBoolean(text)) << text;
    }
    for (const char* text : {"False", "false", "0", "-0", "0.000", "0e5", "  0 "}) {
        EXPECT_FALSE(TextToBoolean(text)) << text;
    }
    for (const char* text : {"", " ", "yes", "no", "Tru", "Truee", "1x", "x1", "1.2.3", "e5", ".",
                             "-", "1e", "inf", "nan", "0x1", "\tTrue", "True False"}) {
        EXPECT_THROW(TextToBoolean(text), std::invalid_argument) << text;
    }
}

} // namespace
} // namespace kernova
