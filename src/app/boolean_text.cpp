#include "app/boolean_text.h"

#include "archive/text_routines.h"

#include <stdexcept>
#include <string>

namespace kernova {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// [+-] digits [. digits] [(e|E) [+-] digits], at least one mantissa digit. Sets `zero`
// when every mantissa digit is 0. Infinities, NaN and hexadecimal are not numbers here.
bool ParseDecimal(std::string_view s, bool& zero) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    size_t digits = 0;
    zero = true;
    auto mantissaDigits = [&] {
        while (i < s.size() && IsDigit(s[i])) {
            zero = zero && s[i] == '0';
            ++digits;
            ++i;
        }
    };
    mantissaDigits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        mantissaDigits();
    }
    if (digits == 0) {
        return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            ++i;
        }
        size_t exponentDigits = 0;
        while (i < s.size() && IsDigit(s[i])) {
            ++exponentDigits;
            ++i;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    return i == s.size();
}

} // namespace

bool TextToBoolean(std::string_view text) {
    const std::string_view trimmed = Trim(text);
    if (EqualsIgnoringCase(trimmed, "true")) {
        return true;
    }
    if (EqualsIgnoringCase(trimmed, "false")) {
        return false;
    }
    bool zero = true;
    if (ParseDecimal(trimmed, zero)) {
        return !zero;
    }
    throw std::invalid_argument("not a Boolean: \"" + std::string(text) + "\"");
}

} // namespace kernova
