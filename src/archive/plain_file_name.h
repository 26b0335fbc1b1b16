#pragma once

#include <string>
#include <string_view>

namespace kernova {

// True when `name` can only ever name a file inside the folder it is joined to: not empty,
// not "." or "..", and without "/", "\" or NUL; on Windows also a Windows file name.
bool IsPlainFileName(std::string_view name);

// True when Windows would take `name` as the name of a file of its own: no ":" (a drive or a
// stream), none of <>"|?* nor a control character, no trailing dot or space (Windows drops
// them, so two names would meet), and no device name (CON, PRN, AUX, NUL, CONIN$, CONOUT$,
// COM1-COM9, LPT1-LPT9 and their superscript ¹²³, with any extension, in any letter case).
bool IsWindowsFileName(std::string_view name);

// True when the platform's file system takes both for one and the same name: equal bytes,
// or on Windows equal in any letter case.
bool SameFileName(std::string_view a, std::string_view b);
// The name as the platform's file system tells names apart (SameFileName: equal keys).
std::string FileNameKey(std::string_view name);

// `text` with control characters and backslashes written as escapes (\r, \n, \t, \\, \xNN),
// for messages and listings that must not put raw control bytes on a terminal.
std::string Printable(std::string_view text);

} // namespace kernova
