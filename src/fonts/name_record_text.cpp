#include "fonts/name_record_text.h"

#include <cstdint>

namespace kernova {
namespace {

// Apple's ROMAN.TXT mapping of the bytes 0x80 to 0xFF.
constexpr std::uint16_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3,
    0x00E5, 0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3,
    0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA,
    0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D,
    0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE,
    0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

// The name as fontconfig keeps it: up to the first NUL, and nothing when that is empty or
// all spaces.
std::optional<std::string> Usable(std::string text) {
    if (std::size_t nul = text.find('\0'); nul != std::string::npos) {
        text.resize(nul);
    }
    if (text.find_first_not_of(' ') == std::string::npos) {
        return std::nullopt;
    }
    return text;
}

} // namespace

// Appends one code point as UTF-8. A lone low surrogate is written as it stands, as
// fontconfig does, so the two names stay byte for byte the same.
void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::optional<std::string> DecodeUtf16BeName(const unsigned char* bytes, std::size_t size) {
    if (size % 2 != 0) {
        return std::nullopt;
    }
    std::string text;
    text.reserve(size);
    for (std::size_t at = 0; at < size; at += 2) {
        std::uint32_t unit = (std::uint32_t{bytes[at]} << 8) | bytes[at + 1];
        if ((unit & 0xFC00) == 0xD800) {
            if (at + 4 > size) {
                return std::nullopt;
            }
            const std::uint32_t low = (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
            if ((low & 0xFC00) != 0xDC00) {
                return std::nullopt;
            }
            unit = (((unit & 0x3FF) << 10) | (low & 0x3FF)) + 0x10000;
            at += 2;
        }
        AppendUtf8(text, unit);
    }
    return Usable(std::move(text));
}

std::optional<std::string> DecodeMacRomanName(const unsigned char* bytes, std::size_t size) {
    std::string text;
    text.reserve(size);
    for (std::size_t at = 0; at < size; ++at) {
        const unsigned char c = bytes[at];
        AppendUtf8(text, c < 0x80 ? c : kMacRomanHigh[c - 0x80]);
    }
    return Usable(std::move(text));
}

bool LooksLikeShiftJis(const unsigned char* bytes, std::size_t size) {
    std::size_t high = 0;
    for (std::size_t at = 0; at < size; ++at) {
        high += (bytes[at] & 0x80) != 0;
    }
    return high * 2 > size - high;
}

} // namespace kernova
