#pragma once

#include <string>
#include <system_error>

namespace kernova {

class FontSystem;
class ShellFolders;

// True exactly when the font registry lists a font whose full name equals the trimmed
// face name of `fontFile`, whatever its style or release (the installation run tells
// those apart: see InstalledFonts). A registry that cannot be read counts as "not
// installed".
bool IsFontInstalled(FontSystem& fonts, const std::string& fontFile);

// The same test for a face name already read from the file (trimmed here), so that a run
// that shows the name anyway reads each font once; only a font it finds is read further.
bool IsFontNameInstalled(FontSystem& fonts, const std::string& faceName);

// Records `fileName` (a bare name in `fontsFolder`, or a full path) under `fontName` and
// makes it usable at once; what the registry refused, or nothing.
std::error_code RegisterFont(FontSystem& fonts, const std::string& fontsFolder,
                             const std::string& fontName, const std::string& fileName);

// The platform's notice that the set of installed fonts changed.
void BroadcastFontChange(FontSystem& fonts);

// The fonts folder with one trailing separator, or the empty text.
std::string GetFontsFolder(ShellFolders& folders);

} // namespace kernova
