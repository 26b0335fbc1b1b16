#include "archive/text_routines.h"

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

std::string TrimSpaces(const std::string& text) {
    const std::string::size_type first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace kernova
