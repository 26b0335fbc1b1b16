#pragma once

#include <string>
#include <system_error>

namespace kernova {

// Where a font copy ended up.
struct FontCopyResult {
    std::error_code error; // empty when the font is in place
    std::string fileName;  // its file name in the folder: the wanted name or a free variant
};

// Copies the font file `source` into `folder` (ending in the separator) as `name`. The bytes
// go to a file that the font indexers do not see (unnamed where the file system allows,
// else a hidden temporary name), are flushed to disk, and only then get their name: a crash
// or a full disk never leaves half a font under a font's name. A file or link already there
// is never replaced or written through: the font then gets the first free name of
// `NumberedName(name, 1)`, `NumberedName(name, 2)`, ... Nothing is left behind on failure.
FontCopyResult CopyFontInto(const std::string& source, const std::string& folder,
                            const std::string& name);

// "Name.ttf", 2 -> "Name_2.ttf"; a name without an extension gets the suffix at its end.
std::string NumberedName(const std::string& name, int number);

} // namespace kernova
