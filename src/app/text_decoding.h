#pragma once

#include <string>
#include <string_view>

namespace kernova {

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, nothing
// beyond U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// 8-bit package text as the forms hold it (UTF-8): the bytes unchanged when they already
// are valid UTF-8, otherwise read as Windows-1252, the code page of packages made on
// Windows. Never fails: every byte has a meaning in Windows-1252.
std::string DecodeAnsiText(std::string_view bytes);

} // namespace kernova
