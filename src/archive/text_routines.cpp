#include "archive/text_routines.h"

#include <algorithm>

namespace kernova {

std::string& ReplaceAll(std::string& text, std::string_view find, std::string_view replacement) {
    if (find.empty()) {
        return text;
    }
    // One left-to-right pass; the search goes on after each replacement, so a replacement
    // that contains `find` is never searched again.
    std::string::size_type p = text.find(find);
    while (p != std::string::npos) {
        text.replace(p, find.size(), replacement);
        p = text.find(find, p + replacement.size());
    }
    return text;
}

std::string& StripLineBreaks(std::string& text) {
    ReplaceAll(text, "\n", "");
    return ReplaceAll(text, "\r", "");
}

std::string ReplaceControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool c1 = byte == 0xC2 && i + 1 < text.size() &&
                        static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (c1) {
            ++i;
        }
        out += byte < 0x20 || byte == 0x7F || c1 ? '?' : text[i];
    }
    return out;
}

std::string_view Trim(std::string_view text, std::string_view blanks) {
    const std::string_view::size_type first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string TrimSpaces(const std::string& text) {
    return std::string(Trim(text));
}

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string FoldCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        c = FoldCase(c);
    }
    return folded;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldCase(x) == FoldCase(y);
           });
}

bool LessIgnoringCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(FoldCase(x)) < static_cast<unsigned char>(FoldCase(y));
    });
}

} // namespace kernova
