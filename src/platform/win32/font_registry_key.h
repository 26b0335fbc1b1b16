#pragma once

#include <string>
#include <system_error>
#include <vector>

namespace kernova::win32 {

// The system's list of installed fonts: string values under HKEY_LOCAL_MACHINE named
// "<face name> (TrueType)", whose data is a file name in the fonts folder (or a full path).

// "SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts" on the NT family,
// "SOFTWARE\Microsoft\Windows\CurrentVersion\Fonts" on the older family, as the version
// query reports the platform; empty for any other answer or when the query fails.
std::wstring GetFontsKey();

// The value's text: a string up to its first NUL, a 16-bit binary number in decimal;
// empty for any other type, a missing value or key, or a registry that cannot be read.
std::string ReadFontsValue(const std::wstring& key, const std::wstring& valueName);

// Stores `data` as a string value, creating the key when missing.
std::error_code WriteFontsValue(const std::wstring& key, const std::wstring& valueName,
                                const std::wstring& data);

// Every string value of the key: its name and its text up to the first NUL.
struct FontsValue {
    std::wstring name;
    std::string data;
};
std::vector<FontsValue> ReadAllFontsValues(const std::wstring& key);

// Removes the value; a value that is not there is no error.
std::error_code DeleteFontsValue(const std::wstring& key, const std::wstring& valueName);

// The value name of a font: the name without spaces around it and " (TrueType)", or
// " (OpenType)" for CFF outlines.
std::wstring FontsValueName(const std::string& faceName, bool cff = false);

} // namespace kernova::win32
