#include "platform/linux/xdg_shell_folders.h"

#include "platform/posix/unique_fd.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
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

// Creates `folder` and the missing folders above it. Each one made is 0755 whatever the
// file-creation mask: fonts in it must be readable by every program (by every user, for
// root's install) that looks there.
std::string Ensure(const std::string& folder) {
    if (folder.empty()) {
        return {};
    }
    std::string made;
    for (const std::filesystem::path& part : std::filesystem::path(folder)) {
        made = (std::filesystem::path(made) / part).string();
        if (::mkdir(made.c_str(), 0755) == 0) {
            posix::UniqueFd created(
                ::open(made.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!created.valid() || ::fchmod(created.get(), 0755) != 0) {
                return {};
            }
        } else if (errno != EEXIST) {
            return {};
        }
    }
    std::error_code ec;
    return std::filesystem::is_directory(folder, ec) ? folder : std::string();
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
