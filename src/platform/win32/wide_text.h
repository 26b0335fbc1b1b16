#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace kernova::win32 {

// Text as the system's wide-character calls take it. The forms hold UTF-8; names from a
// package are 8-bit text that is UTF-8 when valid and Windows-1252 otherwise (packages made
// on Windows), so a path is converted one component at a time: a folder from the system
// and an entry name from a package each keep their own reading.
std::wstring WidenPath(std::string_view path);
std::wstring WidenText(std::string_view text);

// UTF-16 from the system as UTF-8.
std::string Narrow(std::wstring_view text);

// A Windows error code as the portable layers compare it: the common ones as their
// std::errc (a name taken, access denied, a full disk...), the rest as system errors.
std::error_code ErrorFromWin32(unsigned long code);
// The calling thread's last error (GetLastError).
std::error_code LastError();

} // namespace kernova::win32
