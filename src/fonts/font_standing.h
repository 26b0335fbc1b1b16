#pragma once

#include "fonts/font_identity.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kernova {

struct Platform;

// How a package's font stands to the fonts already installed.
enum class Standing {
    New,     // no face of it is installed in this or a newer release
    Update,  // a face of it is installed in an older release only
    Present, // every face is installed, in this or a newer release
};

struct FontStanding {
    Standing standing = Standing::New;
    // An update's older file in the fonts folder (a bare name) that the font takes the
    // place of: it holds this font's faces and nothing else. Empty: the font goes beside
    // whatever holds the older release (a folder of the system's, another font's file).
    std::string replaces;
    // The installed files that already hold the font (full paths).
    std::vector<std::string> presentFiles;
};

// The installed fonts, as one run asks about them: what the registry lists under a
// face's name is read from the files themselves, once per file, to tell fonts apart by
// full name and style and their releases by version.
class InstalledFonts {
  public:
    InstalledFonts(Platform& platform, std::string fontsFolder);

    // `faces`: the font's faces as read from its file; `faceName`: the name the system
    // gave it, used alone for a font whose faces cannot be read (then a font of that name
    // is the font).
    FontStanding Judge(const std::vector<FaceIdentity>& faces, const std::string& faceName);

  private:
    // The faces of an installed file; nothing when it cannot be read as an sfnt font.
    const std::optional<std::vector<FaceIdentity>>& FacesOf(const std::string& path);

    Platform& platform_;
    std::string fontsFolder_;
    std::map<std::string, std::optional<std::vector<FaceIdentity>>> faces_;
};

} // namespace kernova
