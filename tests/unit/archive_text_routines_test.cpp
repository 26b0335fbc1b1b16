// The archive module's small text routines and the count field's number reading.
#include "archive/field_numbers.h"
#include "archive/text_routines.h"
#include "support/sandbox.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace kernova {
namespace {

using namespace std::string_literals;

TEST(TextRoutines, ReplaceAllStripLineBreaksAndTempFolder) {
    std::string text = "\rab\r\rc\r";
    EXPECT_EQ(&ReplaceAll(text, "\r", ""), &text);
    EXPECT_EQ(text, "abc");
    std::string cased = "aAaA";
    EXPECT_EQ(ReplaceAll(cased, "a", ""), "AA"); // exact comparison, case-sensitive
    std::string grown = "a-b";
    EXPECT_EQ(ReplaceAll(grown, "-", "--"), "a--b"); // the replacement is not searched again

    std::string field = "\r\r\n \tname.ttf\r\n\0"s;
    StripLineBreaks(field);
    EXPECT_EQ(field, " \tname.ttf\0"s);

    test::Sandbox sandbox; // restores TMPDIR afterwards
    ::setenv("TMPDIR", "/some/where", 1);
    EXPECT_EQ(GetTempFolder(), "/some/where");
    ::setenv("TMPDIR", "", 1);
    EXPECT_EQ(GetTempFolder(), "/tmp");
    ::unsetenv("TMPDIR");
    EXPECT_EQ(GetTempFolder(), "/tmp");
}

TEST(FieldNumbers, LeadingNumberReadsTheLeadingDecimalNumber) {
    const std::pair<const char*, double> cases[] = {
        {"5", 5},  {"    5", 5}, {"\t\n 7", 7}, {"1 2", 12},  {"-3", -3},
        {"+4", 4}, {"2.5", 2.5}, {".5", 0.5},   {"4e2", 400}, {"4D2", 400},
        {"4e", 4}, {"4e+", 4},   {"12abc", 12}, {"", 0},      {"abc", 0},
        {"-", 0},  {".", 0},     {"--5", 0},    {"&H10", 0}};
    EXPECT_EQ(LeadingNumber(std::string("\x01") + "5"), 0);
    for (const auto& [text, value] : cases) {
        EXPECT_DOUBLE_EQ(LeadingNumber(text), value) << text;
    }
}

TEST(FieldNumbers, RoundToInt16RoundsHalvesToEvenAndRefusesWhatDoesNotFit) {
    const std::pair<double, std::optional<std::int16_t>> cases[] = {
        {2.5, 2},      {3.5, 4},           {-2.5, -2},   {32767.4, 32767},
        {32767.5, {}}, {-32768.5, -32768}, {-32769, {}}, {40000, {}}};
    for (const auto& [value, rounded] : cases) {
        EXPECT_EQ(RoundToInt16(value), rounded) << value;
    }
}

TEST(FieldNumbers, ParseSizeFieldAcceptsDecimalNumbersOnly) {
    EXPECT_EQ(ParseSizeField(std::string(10, '\0')), std::nullopt);
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
        {"0000000012", 12},         {"  12      ", 12}, {"+000000012", 12}, {"-000000012", -12},
        {"9999999999", 9999999999}, {"00000abcde", {}}, {"          ", {}}, {"0000 00012", {}},
        {"000000012\r", {}},        {"+", {}}};
    for (const auto& [field, size] : cases) {
        EXPECT_EQ(ParseSizeField(field), size) << field;
    }
}

} // namespace
} // namespace kernova
