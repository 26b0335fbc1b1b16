#include "platform/linux/xdg_shell_folders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace kernova {
namespace {

std::string EnvOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// ${XDG_DATA_HOME:-~/.local/share}; empty when neither it nor HOME is usable.
std::string DataHome() {
    std::string dataHome = EnvOrEmpty("XDG_DATA_HOME");
    if (!dataHome.empty() && dataHome.front() == '/') {
        return dataHome;
    }
    std::string home = EnvOrEmpty("HOME");
    if (home.empty() || home.front() != '/') {
        return {};
    }
    return home + "/.local/share";
}

std::string Ensure(const std::string& folder) {
    if (folder.empty()) {
        return {};
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec)) {
        return {};
    }
    return folder;
}

} // namespace

std::string XdgShellFolders::GetSpecialFolder(ShellFolder folder) {
    switch (folder) {
    case ShellFolder::Favorites: {
        std::string dataHome = DataHome();
        return dataHome.empty() ? std::string() : Ensure(dataHome + "/Favorites");
    }
    case ShellFolder::Fonts: {
        // Root installs for every user; anyone else gets a per-user install that needs no
        // administrator rights.
        if (geteuid() == 0) {
            return Ensure("/usr/local/share/fonts");
        }
        std::string dataHome = DataHome();
        return dataHome.empty() ? std::string() : Ensure(dataHome + "/fonts");
    }
    }
    return {};
}

} // namespace kernova
