#pragma once

#include <string>
#include <string_view>

namespace kernova {

// True when `name` can only ever name a file inside the folder it is joined to: not empty,
// not "." or "..", and without "/", "\" or NUL.
bool IsPlainFileName(std::string_view name);

// `text` with control characters and backslashes written as escapes (\r, \n, \t, \\, \xNN),
// for messages and listings that must not put raw control bytes on a terminal.
std::string Printable(std::string_view text);

} // namespace kernova
