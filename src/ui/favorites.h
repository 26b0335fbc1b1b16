#pragma once

#include <string>

namespace kernova {

// Writes the Favorites internet shortcut `title` + ".url" with [InternetShortcut] URL=url.
// Never reports a failure; always returns the empty text.
std::string AddFavorite(const std::string& title, const std::string& url);

// Sets one key of an INI file: other sections and keys are kept, the key is replaced or
// added, lines end in CR LF; the file is replaced whole through a temporary name.
void WriteIniString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& file);

} // namespace kernova
