#include "archive/field_numbers.h"

#include <charconv>
#include <cmath>
#include <string>

namespace kernova {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

double LeadingNumber(std::string_view text) {
    // Gather the number's characters with the blanks left out, then convert them.
    std::string number;
    enum class Part { Sign, Integer, Fraction, ExponentSign, Exponent } part = Part::Sign;
    std::string::size_type beforeExponent = 0;
    for (char c : text) {
        if (IsBlank(c)) {
            continue;
        }
        if ((part == Part::Sign && (c == '+' || c == '-')) ||
            (part == Part::ExponentSign && (c == '+' || c == '-'))) {
            number += c;
            part = part == Part::Sign ? Part::Integer : Part::Exponent;
        } else if (IsDigit(c) && part != Part::ExponentSign) {
            number += c;
            if (part == Part::Sign) {
                part = Part::Integer;
            }
        } else if (IsDigit(c)) {
            number += c;
            part = Part::Exponent;
        } else if (c == '.' && (part == Part::Sign || part == Part::Integer)) {
            number += c;
            part = Part::Fraction;
        } else if ((c == 'e' || c == 'E' || c == 'd' || c == 'D') &&
                   (part == Part::Integer || part == Part::Fraction)) {
            beforeExponent = number.size();
            number += 'e';
            part = Part::ExponentSign;
        } else {
            break;
        }
    }
    // An exponent marker without digits is not part of the number.
    if (part == Part::ExponentSign ||
        (part == Part::Exponent && !IsDigit(number.empty() ? ' ' : number.back()))) {
        number.resize(beforeExponent);
    }
    std::string_view digits = number;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
    }
    double value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Only an enormous exponent gets here: keep the sign, let the range check fail.
        return (!digits.empty() && digits.front() == '-') ? -HUGE_VAL : HUGE_VAL;
    }
    if (ec != std::errc() || end == digits.data()) {
        return 0;
    }
    return value;
}

std::optional<std::int16_t> RoundToInt16(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    double rounded = std::nearbyint(value); // the default rounding mode: halves to even
    if (rounded < INT16_MIN || rounded > INT16_MAX) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(rounded);
}

std::optional<std::int64_t> ParseSizeField(std::string_view field) {
    while (!field.empty() && field.front() == ' ') {
        field.remove_prefix(1);
    }
    while (!field.empty() && field.back() == ' ') {
        field.remove_suffix(1);
    }
    bool negative = false;
    if (!field.empty() && (field.front() == '+' || field.front() == '-')) {
        negative = field.front() == '-';
        field.remove_prefix(1);
    }
    if (field.empty() || field.size() > 18) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (char c : field) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

} // namespace kernova
