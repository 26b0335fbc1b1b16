// The archive module's small text routines and the count field's number reading.
#include "archive/field_numbers.h"
#include "archive/text_routines.h"
#include "support/sandbox.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace kernova {
namespace {

using namespace std::string_literals;

TEST(ReplaceAll, RemovesEveryOccurrenceInPlaceAndReturnsTheText) {
    std::string text = "\rab\r\rc\r";
    std::string& result = ReplaceAll(text, "\r", "");
    EXPECT_EQ(&result, &text);
    EXPECT_EQ(text, "abc");
    std::string cased = "aAaA";
    EXPECT_EQ(ReplaceAll(cased, "a", ""), "AA"); // exact comparison, case-sensitive
    std::string none = "abc";
    EXPECT_EQ(ReplaceAll(none, "x", "y"), "abc");
}

TEST(ReplaceAll, ReplacementHoldingTheSearchedTextIsNotSearchedAgain) {
    std::string text = "a-b";
    EXPECT_EQ(ReplaceAll(text, "-", "--"), "a--b");
}

TEST(StripLineBreaks, RemovesLineFeedsAndCarriageReturnsOnly) {
    std::string field = "\r\r\n \tname.ttf\r\n\0"s;
    StripLineBreaks(field);
    EXPECT_EQ(field, " \tname.ttf\0"s);
}

TEST(GetTempFolder, IsTmpdirElseTmp) {
    test::Sandbox sandbox; // restores TMPDIR afterwards
    ::setenv("TMPDIR", "/some/where", 1);
    EXPECT_EQ(GetTempFolder(), "/some/where");
    ::setenv("TMPDIR", "", 1);
    EXPECT_EQ(GetTempFolder(), "/tmp");
    ::unsetenv("TMPDIR");
    EXPECT_EQ(GetTempFolder(), "/tmp");
}

struct NumberCase {
    const char* text;
    double value;
};

class LeadingNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(LeadingNumberTest, ReadsTheLeadingDecimalNumber) {
    EXPECT_DOUBLE_EQ(LeadingNumber(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, LeadingNumberTest,
    ::testing::Values(NumberCase{"5", 5}, NumberCase{"    5", 5}, NumberCase{"\t\n 7", 7},
                      NumberCase{"1 2", 12}, NumberCase{"-3", -3}, NumberCase{"+4", 4},
                      NumberCase{"2.5", 2.5}, NumberCase{".5", 0.5}, NumberCase{"4e2", 400},
                      NumberCase{"4D2", 400}, NumberCase{"4e", 4}, NumberCase{"4e+", 4},
                      NumberCase{"12abc", 12}, NumberCase{"", 0}, NumberCase{"abc", 0},
                      NumberCase{"\x01"
                                 "5",
                                 0},
                      NumberCase{"-", 0}, NumberCase{".", 0}, NumberCase{"--5", 0},
                      NumberCase{"&H10", 0}));

TEST(RoundToInt16, RoundsHalvesToEvenAndRefusesWhatDoesNotFit) {
    EXPECT_EQ(RoundToInt16(2.5), 2);
    EXPECT_EQ(RoundToInt16(3.5), 4);
    EXPECT_EQ(RoundToInt16(-2.5), -2);
    EXPECT_EQ(RoundToInt16(32767.4), 32767);
    EXPECT_EQ(RoundToInt16(32767.5), std::nullopt);
    EXPECT_EQ(RoundToInt16(-32768.5), -32768);
    EXPECT_EQ(RoundToInt16(-32769), std::nullopt);
    EXPECT_EQ(RoundToInt16(40000), std::nullopt);
}

TEST(ParseSizeField, AcceptsDecimalNumbersOnly) {
    EXPECT_EQ(ParseSizeField("0000000012"), 12);
    EXPECT_EQ(ParseSizeField("  12      "), 12);
    EXPECT_EQ(ParseSizeField("+000000012"), 12);
    EXPECT_EQ(ParseSizeField("-000000012"), -12);
    EXPECT_EQ(ParseSizeField("9999999999"), 9999999999);
    EXPECT_EQ(ParseSizeField("00000abcde"), std::nullopt);
    EXPECT_EQ(ParseSizeField("          "), std::nullopt);
    EXPECT_EQ(ParseSizeField(std::string(10, '\0')), std::nullopt);
    EXPECT_EQ(ParseSizeField("0000 00012"), std::nullopt);
    EXPECT_EQ(ParseSizeField("000000012\r"), std::nullopt);
    EXPECT_EQ(ParseSizeField("+"), std::nullopt);
}

} // namespace
} // namespace kernova
