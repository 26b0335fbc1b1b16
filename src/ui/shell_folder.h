#pragma once

#include <string>

namespace kernova {

inline constexpr int CSIDL_FAVORITES = 6;
inline constexpr int CSIDL_FONTS = 20;

// A shell folder by number, without a trailing separator, created when missing; the empty
// text for an unknown number or a folder that cannot be had.
std::string GetSpecialFolder(int csidl);

} // namespace kernova
