#include "fonts/font_registry.h"

#include "archive/text_routines.h"
#include "fonts/face_name.h"
#include "platform/linux/fontconfig_session.h"
#include "ui/shell_folder.h"

#include <filesystem>
#include <system_error>

namespace kernova {

bool IsFontInstalled(const std::string& fontFile) {
    return IsFontNameInstalled(GetFontName(fontFile));
}

bool IsFontNameInstalled(const std::string& faceName) {
    // A font without a name is never looked up: the registry is not even opened.
    const std::string name = TrimSpaces(faceName);
    if (name.empty()) {
        return false;
    }
    return FontconfigSession::Instance().ListsFullName(name);
}

// fontconfig takes a font's names from its file, so the name the caller shows is not
// needed to register it.
void RegisterFont(const std::string& /*fontName*/, const std::string& fileName) {
    if (fileName.empty()) {
        return;
    }
    std::string path;
    if (fileName.find('/') != std::string::npos) {
        path = fileName;
    } else {
        const std::string folder = GetFontsFolder();
        if (folder.empty()) {
            return; // no fonts folder: nothing can have been copied there
        }
        path = folder + fileName;
    }
    std::error_code ec;
    path = std::filesystem::absolute(path, ec).lexically_normal().string();
    // A file that is no usable font never reaches fontconfig.
    if (ec || GetFontName(path).empty()) {
        return;
    }
    FontconfigSession::Instance().AddFontFile(path);
}

void BroadcastFontChange() {
    FontconfigSession::Instance().Rebuild();
}

std::string GetFontsFolder() {
    std::string folder = GetSpecialFolder(CSIDL_FONTS);
    return AddBackslash(folder);
}

} // namespace kernova
