#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kernova {

// The leading decimal number of `text`: an optional sign, digits, an optional fraction and
// an optional exponent (E or D). Blanks (space, tab, LF) are skipped wherever they stand;
// scanning stops at the first other character. Text without a leading number gives 0.
double LeadingNumber(std::string_view text);

// `value` rounded to the nearest integer (halves to even); nothing when the result lies
// outside the signed 16-bit range.
std::optional<std::int16_t> RoundToInt16(double value);

// A size field: optional surrounding spaces, an optional sign and at least one decimal
// digit, nothing else. Nothing when the field is not such a number.
std::optional<std::int64_t> ParseSizeField(std::string_view field);

} // namespace kernova
