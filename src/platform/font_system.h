#pragma once

#include <string>
#include <system_error>
#include <vector>

namespace kernova {

// The system's fonts: face names, the font registry, registration and the change notice.
class FontSystem {
  public:
    virtual ~FontSystem() = default;

    // The full name of the font file's first face, untrimmed; the empty text for anything
    // that is not a usable font.
    virtual std::string FaceName(const std::string& fontFile) = 0;

    // The files (full paths) in which the registry lists a face of this full name (not
    // empty, already trimmed), compared as the registry compares names. It may list more:
    // the caller reads the files to tell the fonts apart. None when the registry lists none
    // or cannot be read.
    virtual std::vector<std::string> InstalledFiles(const std::string& faceName) = 0;

    // Records the font file `installedFile` (a full path in the fonts folder) under
    // `faceName` and makes it usable at once. A registry that refuses the record is told:
    // the font would not outlive the session.
    virtual std::error_code Register(const std::string& faceName,
                                     const std::string& installedFile) = 0;

    // The font file `installedFile` is about to be removed or replaced: the system lets go
    // of it and forgets its record. Registering it again undoes this.
    virtual void Unregister(const std::string& installedFile) = 0;

    // Tells running programs that the set of fonts changed.
    virtual void BroadcastChange() = 0;
};

} // namespace kernova
