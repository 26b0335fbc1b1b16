#include "app/boolean_text.h"

#include <stdexcept>
#include <string>

namespace kernova {
namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

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
    const size_t first = text.find_first_not_of(' ');
    const size_t last = text.find_last_not_of(' ');
    const std::string_view trimmed =
        first == std::string_view::npos ? std::string_view{} : text.substr(first, last - first + 1);
    if (EqualsNoCase(trimmed, "true")) {
        return true;
    }
    if (EqualsNoCase(trimmed, "false")) {
        return false;
    }
    bool zero = true;
    if (ParseDecimal(trimmed, zero)) {
        return !zero;
    }
    throw std::invalid_argument("not a Boolean: \"" + std::string(text) + "\"");
}

} // namespace kernova
