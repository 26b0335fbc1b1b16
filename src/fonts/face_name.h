#pragma once

#include <string>

namespace kernova {

class FontSystem;

// The font's full name from its name table, untrimmed; the empty text for anything that
// is not a usable font.
std::string GetFontName(FontSystem& fonts, const std::string& fontFile);

} // namespace kernova
