#include "archive/plain_file_name.h"

#include "archive/text_routines.h"
#include "platform/path.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace kernova {

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    if (kPathSeparator == '\\' && !IsWindowsFileName(name)) {
        return false;
    }
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

bool IsWindowsFileName(std::string_view name) {
    if (name.empty() || name.back() == '.' || name.back() == ' ') {
        return false;
    }
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view(":<>\"|?*").find(c) != std::string_view::npos) {
            return false;
        }
    }
    // A device keeps its meaning whatever follows a dot: "con.ttf" is the console too.
    const std::string_view stem = Trim(name.substr(0, name.find('.')));
    static constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN",    "AUX",
                                                                 "NUL", "CONIN$", "CONOUT$"};
    for (std::string_view device : kDevices) {
        if (EqualsIgnoringCase(stem, device)) {
            return false;
        }
    }
    if (stem.size() < 4 || !(EqualsIgnoringCase(stem.substr(0, 3), "COM") ||
                             EqualsIgnoringCase(stem.substr(0, 3), "LPT"))) {
        return true;
    }
    // COM1 to COM9, and the superscript ones Windows reserves too (UTF-8 or Windows-1252).
    static constexpr std::array<std::string_view, 15> kNumbers = {
        "1", "2",        "3",        "4",        "5",    "6",    "7",   "8",
        "9", "\xC2\xB9", "\xC2\xB2", "\xC2\xB3", "\xB9", "\xB2", "\xB3"};
    return std::find(kNumbers.begin(), kNumbers.end(), stem.substr(3)) == kNumbers.end();
}

bool SameFileName(std::string_view a, std::string_view b) {
    return FileNameKey(a) == FileNameKey(b);
}

std::string FileNameKey(std::string_view name) {
    return kPathSeparator == '\\' ? FoldCase(name) : std::string(name);
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
