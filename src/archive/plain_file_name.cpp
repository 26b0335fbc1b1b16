#include "archive/plain_file_name.h"

#include <cstdio>

namespace kernova {

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (byte < 0x20 || byte == 0x7f) {
                char escape[5];
                std::snprintf(escape, sizeof escape, "\\x%02x", byte);
                out += escape;
            } else {
                out += c;
            }
        }
    }
    return out;
}

} // namespace kernova
