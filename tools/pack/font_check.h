#pragma once

#include <string>

namespace kernova::pack {

// Throws std::runtime_error naming `path` unless FreeType opens it as a font.
void CheckFontOpens(const std::string& path);

} // namespace kernova::pack
