#pragma once

#include <string>

namespace kernova {

class InputFile;

// What a file's first bytes say it is, as far as installing it goes.
enum class FontFormat {
    TrueType,           // an sfnt font with TrueType outlines
    OpenType,           // an sfnt font with CFF outlines
    TrueTypeCollection, // a collection whose first face has TrueType outlines
    OpenTypeCollection, // a collection whose first face has CFF outlines
    Woff,
    Woff2,
    Type1,  // PFB, PFA, or Type 1 wrapped in sfnt
    Bitmap, // PCF, BDF, a Windows bitmap font
    NotAFont,
};

FontFormat DetectFontFormat(InputFile& file);

// The formats every desktop installs from its fonts folder: sfnt fonts and collections.
bool IsInstallable(FontFormat format);
bool IsCollection(FontFormat format);
// With CFF outlines (registered on Windows as "(OpenType)" rather than "(TrueType)").
bool HasCffOutlines(FontFormat format);

// The format as a message names it: "a WOFF2 web font", "a Type 1 font", ...
std::string DescribeFontFormat(FontFormat format);

} // namespace kernova
