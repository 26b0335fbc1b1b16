#pragma once

#include <string>

namespace kernova {

// True exactly when the font registry (fontconfig) lists a font whose full name equals the
// trimmed face name of `fontFile`. A registry that cannot be read counts as "not installed".
bool IsFontInstalled(const std::string& fontFile);

// The same test for a face name already read from the file (trimmed here), so that a run
// that shows the name anyway reads each font once.
bool IsFontNameInstalled(const std::string& faceName);

// Makes `fileName` (a bare name in the fonts folder, or a full path) known under
// `fontName` at once: to this process and, through the folder's cache, to new processes.
// Fails silently.
void RegisterFont(const std::string& fontName, const std::string& fileName);

// The platform's notification that the set of installed fonts changed: one rebuild of
// the font configuration and caches, so running clients see the fonts on their next check.
void BroadcastFontChange();

// The fonts folder with one trailing separator, or the empty text.
std::string GetFontsFolder();

} // namespace kernova
