#include "fonts/font_registry.h"

#include "archive/text_routines.h"
#include "fonts/face_name.h"
#include "platform/font_system.h"
#include "platform/path.h"
#include "platform/shell_folders.h"

#include <filesystem>

namespace kernova {

bool IsFontInstalled(FontSystem& fonts, const std::string& fontFile) {
    return IsFontNameInstalled(fonts, GetFontName(fonts, fontFile));
}

bool IsFontNameInstalled(FontSystem& fonts, const std::string& faceName) {
    // A font without a name is never looked up: the registry is not even opened.
    const std::string name = TrimSpaces(faceName);
    if (name.empty()) {
        return false;
    }
    return !fonts.InstalledFiles(name).empty();
}

std::error_code RegisterFont(FontSystem& fonts, const std::string& fontsFolder,
                             const std::string& fontName, const std::string& fileName) {
    if (fileName.empty()) {
        return {};
    }
    const bool bare = std::filesystem::path(fileName).filename().string() == fileName;
    if (bare && fontsFolder.empty()) {
        return {}; // no fonts folder: nothing can have been copied there
    }
    return fonts.Register(fontName, bare ? JoinPath(fontsFolder, fileName) : fileName);
}

void BroadcastFontChange(FontSystem& fonts) {
    fonts.BroadcastChange();
}

std::string GetFontsFolder(ShellFolders& folders) {
    std::string folder = folders.GetSpecialFolder(ShellFolder::Fonts);
    return AddBackslash(folder);
}

} // namespace kernova
