#pragma once

#include <string>
#include <system_error>

namespace kernova {

// The system's fonts: face names, the font registry, registration and the change notice.
class FontSystem {
  public:
    virtual ~FontSystem() = default;

    // The full name of the font file's first face, untrimmed; the empty text for anything
    // that is not a usable font.
    virtual std::string FaceName(const std::string& fontFile) = 0;

    // True when the registry knows a font of this full name (not empty, already trimmed).
    // A registry that cannot be read counts as "not installed".
    virtual bool IsFaceInstalled(const std::string& faceName) = 0;

    // Records the font file `installedFile` (a full path in the fonts folder) under
    // `faceName` and makes it usable at once. A registry that refuses the record is told:
    // the font would not outlive the session.
    virtual std::error_code Register(const std::string& faceName,
                                     const std::string& installedFile) = 0;

    // Tells running programs that the set of fonts changed.
    virtual void BroadcastChange() = 0;
};

} // namespace kernova
