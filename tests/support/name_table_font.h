#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kernova::test {

// One record of a font's name table; `text` holds the stored bytes as they stand.
struct NameRecord {
    std::uint16_t platform;
    std::uint16_t encoding;
    std::uint16_t language;
    std::uint16_t nameId;
    std::string text;
};

// Windows (3, 1) full name (ID 4) in `language`, stored as UTF-16BE from UTF-8 `name`.
NameRecord WindowsFullName(const std::string& name, std::uint16_t language = 0x409);
// Macintosh Roman English record of `nameId`, stored as the bytes of `macRoman`.
NameRecord MacFullName(const std::string& macRoman, std::uint16_t nameId = 4);

// UTF-16BE bytes of UTF-8 text (characters beyond the BMP as surrogate pairs).
std::string Utf16Be(const std::string& utf8);

// The TrueType font `fontBytes` with its name table replaced by `records`.
std::string WithNameTable(const std::string& fontBytes, std::vector<NameRecord> records);

// A font collection (.ttc) of the given single fonts, in order.
std::string MakeCollection(const std::vector<std::string>& fonts);

} // namespace kernova::test
