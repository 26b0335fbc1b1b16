#include "platform/linux/linux_font_system.h"

#include "platform/linux/font_full_name.h"
#include "platform/linux/fontconfig_session.h"

#include <filesystem>
#include <system_error>

namespace kernova {

std::string LinuxFontSystem::FaceName(const std::string& fontFile) {
    return names_.FullName(fontFile);
}

std::vector<std::string> LinuxFontSystem::InstalledFiles(const std::string& faceName) {
    return FontconfigSession::Instance().FilesWithFullName(faceName);
}

void LinuxFontSystem::Unregister(const std::string& installedFile) {
    std::error_code ec;
    const std::string path =
        std::filesystem::absolute(installedFile, ec).lexically_normal().string();
    if (!ec) {
        FontconfigSession::Instance().RemoveFontFile(path);
    }
}

// fontconfig takes a font's names from its file, so the name the caller shows is not
// needed to register it; that there is one says the run read the file as a font (the copy
// has the same bytes), so the file is not read again here.
std::error_code LinuxFontSystem::Register(const std::string& faceName,
                                          const std::string& installedFile) {
    std::error_code ec;
    const std::string path =
        std::filesystem::absolute(installedFile, ec).lexically_normal().string();
    if (ec || faceName.empty()) {
        return {}; // nothing to tell fontconfig, which finds the file in its folder anyway
    }
    FontconfigSession::Instance().AddFontFile(path);
    return {};
}

void LinuxFontSystem::BroadcastChange() {
    FontconfigSession::Instance().Rebuild();
}

} // namespace kernova
