#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kernova {

// The text of one record of a font's name table, decoded to UTF-8 the way fontconfig
// decodes it, so that a name read here is the name fontconfig lists: the text ends at
// its first NUL character; nothing when the bytes are malformed or the text is empty or
// all spaces.

// UTF-16BE (Windows and Unicode platform records). Malformed: an odd number of bytes, or a
// high surrogate without a low one after it.
std::optional<std::string> DecodeUtf16BeName(const unsigned char* bytes, std::size_t size);

// Mac OS Roman (Macintosh platform, Roman encoding).
std::optional<std::string> DecodeMacRomanName(const unsigned char* bytes, std::size_t size);

// True when more than a third of the bytes have the high bit set: a Macintosh record
// that fontconfig reads as Shift-JIS rather than Roman.
bool LooksLikeShiftJis(const unsigned char* bytes, std::size_t size);

// Appends one code point as UTF-8. A lone low surrogate is written as it stands, as
// fontconfig does, so the two names stay byte for byte the same.
void AppendUtf8(std::string& out, std::uint32_t c);

} // namespace kernova
