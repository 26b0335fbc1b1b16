#include "ui/favorites.h"

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/shell_folders.h"
#include "ui/ini_file.h"

#include <vector>

namespace kernova {
namespace {

// The parts of a title as a path below the Favorites folder: "\" separates subfolders as
// it does where packages are made. Nothing when the title is empty, absolute, holds a NUL
// or has an empty, "." or ".." part: the entry stays inside the Favorites folder.
bool SplitTitle(const std::string& title, std::vector<std::string>& parts) {
    if (title.empty() || title.find('\0') != std::string::npos) {
        return false;
    }
    // Either slash separates, so that no part can hold a separator of any platform.
    constexpr std::string_view kSeparators = "\\/";
    size_t start = 0;
    for (;;) {
        const size_t slash = title.find_first_of(kSeparators, start);
        std::string part = title.substr(start, slash == std::string::npos ? slash : slash - start);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        parts.push_back(std::move(part));
        if (slash == std::string::npos) {
            return true;
        }
        start = slash + 1;
    }
}

} // namespace

std::string AddFavorite(FileSystem& files, ShellFolders& folders, const std::string& title,
                        const std::string& url) {
    std::string folder = folders.GetSpecialFolder(ShellFolder::Favorites);
    if (folder.empty()) {
        return {};
    }
    std::vector<std::string> parts;
    if (!SplitTitle(title, parts)) {
        return {};
    }
    // A subfolder the title names must already exist as a real folder, not a link to one.
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        folder = JoinPath(folder, parts[i]);
        if (!files.IsFolder(folder)) {
            return {};
        }
    }
    files.RemoveStaleStagedFiles(folder); // what a killed run left staged there
    WriteIniString(files, "InternetShortcut", "URL", url, JoinPath(folder, parts.back() + ".url"));
    return {};
}

void WriteIniString(FileSystem& files, const std::string& section, const std::string& key,
                    const std::string& value, const std::string& file) {
    // Nobody is told: a shortcut that cannot be written is simply not there.
    (void)WriteIniFile(files, section, key, value, file);
}

} // namespace kernova
