#include "platform/linux/fontconfig_folder_cache.h"

#include "platform/linux/fontconfig_handles.h"

#include <string_view>
#include <sys/stat.h>

namespace kernova {
namespace {

// The bare names of the font files a folder's cache lists.
std::unordered_set<std::string> ListedFiles(const FcCache* cache) {
    std::unordered_set<std::string> files;
    UniqueFcFontSet fonts(cache ? FcCacheCopySet(cache) : nullptr);
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch) {
            const std::string_view path(reinterpret_cast<const char*>(file));
            files.emplace(path.substr(path.rfind('/') + 1));
        }
    }
    return files;
}

} // namespace

std::optional<std::string> ConfiguredFontFolder(FcConfig* config, const std::string& folder) {
    struct stat wanted {};
    if (::stat(folder.c_str(), &wanted) != 0) {
        return std::nullopt;
    }
    UniqueFcStrList dirs(FcConfigGetFontDirs(config));
    if (!dirs) {
        return std::nullopt;
    }
    while (const FcChar8* entry = FcStrListNext(dirs.get())) {
        std::string dir(reinterpret_cast<const char*>(entry));
        struct stat info {};
        if (dir == folder || (::stat(dir.c_str(), &info) == 0 && info.st_dev == wanted.st_dev &&
                              info.st_ino == wanted.st_ino)) {
            return dir;
        }
    }
    return std::nullopt;
}

void FolderCaches::Include(FcConfig* config, const std::string& folder,
                           const std::string& fileName) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) {
        return;
    }
    Listed& listed = folders_[folder];
    if (listed.modifiedSeconds == info.st_mtim.tv_sec &&
        listed.modifiedNanoseconds == info.st_mtim.tv_nsec && listed.files.count(fileName) != 0) {
        return;
    }
    // Taken before the cache is read: should the folder change meanwhile, the next check
    // finds a different time and looks again.
    listed.modifiedSeconds = info.st_mtim.tv_sec;
    listed.modifiedNanoseconds = info.st_mtim.tv_nsec;
    {
        UniqueFcCache current(FcDirCacheLoad(FcText(folder), config, nullptr));
        listed.files = ListedFiles(current.get());
    }
    if (listed.files.count(fileName) == 0) {
        // Forced: the folder may have changed within the clock tick its cache was stamped
        // with, and such a cache would still look current.
        UniqueFcCache rescanned(FcDirCacheRead(FcText(folder), FcTrue, config));
        listed.files = ListedFiles(rescanned.get());
    }
}

void FolderCaches::Rescan(FcConfig* config, const std::string& folder) {
    folders_.erase(folder);
    UniqueFcCache rescanned(FcDirCacheRead(FcText(folder), FcTrue, config));
}

} // namespace kernova
