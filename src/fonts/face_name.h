#pragma once

#include <string>

namespace kernova {

// The font's full name from its name table (Windows English record first, then Mac Roman
// English), untrimmed; the empty text for anything that is not a usable font.
std::string GetFontName(const std::string& fontFile);

// Appends the platform separator to a non-empty path that lacks it (in place; also the
// result). An empty path stays empty.
std::string& AddBackslash(std::string& path);

} // namespace kernova
