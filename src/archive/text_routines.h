#pragma once

#include <string>
#include <string_view>

namespace kernova {

// Replaces every occurrence of `find` in `text` (changed in place; also the result).
std::string& ReplaceAll(std::string& text, std::string_view find, std::string_view replacement);

// Removes every LF and then every CR from `text` (changed in place; also the result).
std::string& StripLineBreaks(std::string& text);

// `text` without its leading and trailing spaces (spaces only: tabs and other blanks stay).
std::string TrimSpaces(const std::string& text);

} // namespace kernova
