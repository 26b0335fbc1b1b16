#pragma once

#include <string>

namespace kernova {

class FileSystem;
class ShellFolders;

// Writes the Favorites internet shortcut `title` + ".url" with [InternetShortcut] URL=url.
// Never reports a failure; always returns the empty text.
std::string AddFavorite(FileSystem& files, ShellFolders& folders, const std::string& title,
                        const std::string& url);

// Sets one key of an INI file: other sections and keys are kept, the key is replaced or
// added, lines end in CR LF; the file is replaced whole through a staged file.
void WriteIniString(FileSystem& files, const std::string& section, const std::string& key,
                    const std::string& value, const std::string& file);

} // namespace kernova
