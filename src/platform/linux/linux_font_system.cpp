#include "platform/linux/linux_font_system.h"

#include "platform/linux/font_full_name.h"
#include "platform/linux/fontconfig_session.h"

#include <filesystem>
#include <system_error>

namespace kernova {

std::string LinuxFontSystem::FaceName(const std::string& fontFile) {
    return ReadFontFullName(fontFile);
}

bool LinuxFontSystem::IsFaceInstalled(const std::string& faceName) {
    return FontconfigSession::Instance().ListsFullName(faceName);
}

// fontconfig takes a font's names from its file, so the name the caller shows is not
// needed to register it.
void LinuxFontSystem::Register(const std::string& /*faceName*/, const std::string& installedFile) {
    std::error_code ec;
    const std::string path =
        std::filesystem::absolute(installedFile, ec).lexically_normal().string();
    // A file that is no usable font never reaches fontconfig.
    if (ec || ReadFontFullName(path).empty()) {
        return;
    }
    FontconfigSession::Instance().AddFontFile(path);
}

void LinuxFontSystem::BroadcastChange() {
    FontconfigSession::Instance().Rebuild();
}

} // namespace kernova
