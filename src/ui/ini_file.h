#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace kernova {

class FileSystem;

// `text` (an INI file's contents) with `key` of `section` set to `value`: other sections,
// keys, comments and blank lines are kept; the first such key of the first such section is
// replaced, or the key is added at the end of its section, or the section is added at the
// end. Section and key names match without regard to letter case. Lines end in CR LF.
std::string SetIniKey(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value);

// Sets one key of the INI file at `path`, creating the file when it is missing. The new
// contents are written as a staged file in the same folder and committed into place,
// so the file is never half-written; a link under `path` is replaced, never followed.
// A section, key or value that would break the file's lines (CR, LF, NUL; "]" in a
// section, "=" in a key; an empty section or key) writes nothing. Returns the failure.
std::error_code WriteIniFile(FileSystem& files, std::string_view section, std::string_view key,
                             std::string_view value, const std::string& path);

} // namespace kernova
