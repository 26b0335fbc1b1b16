#pragma once

#include <string>
#include <string_view>

namespace kernova {

// Replaces every occurrence of `find` in `text` (changed in place; also the result).
std::string& ReplaceAll(std::string& text, std::string_view find, std::string_view replacement);

// Removes every LF and then every CR from `text` (changed in place; also the result).
std::string& StripLineBreaks(std::string& text);

// `text` without its leading and trailing characters found in `blanks`.
std::string_view Trim(std::string_view text, std::string_view blanks = " ");

// `text` without its leading and trailing spaces (spaces only: tabs and other blanks stay).
std::string TrimSpaces(const std::string& text);

// `text` with every control character (C0, DEL, and C1 written as UTF-8) replaced by '?',
// line breaks too: what a package or a font calls itself is shown and printed, never obeyed
// by a terminal.
std::string ReplaceControls(std::string_view text);

// Letter case folded for comparisons, ASCII letters only: package names and keys must
// compare the same whatever the process locale.
char FoldCase(char c);
std::string FoldCase(std::string_view text);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool LessIgnoringCase(std::string_view a, std::string_view b);

} // namespace kernova
