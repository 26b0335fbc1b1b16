#include "platform/linux/fontconfig_folder_cache.h"

#include "platform/linux/fontconfig_handles.h"

#include <string_view>
#include <sys/stat.h>

namespace kernova {

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

bool FolderCacheLists(FcConfig* config, const std::string& folder, const std::string& fileName) {
    UniqueFcCache cache(FcDirCacheLoad(FcText(folder), config, nullptr));
    if (!cache) {
        return false;
    }
    UniqueFcFontSet fonts(FcCacheCopySet(cache.get()));
    if (!fonts) {
        return false;
    }
    const std::string suffix = "/" + fileName;
    for (int i = 0; i < fonts->nfont; ++i) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch) {
            const std::string_view path(reinterpret_cast<const char*>(file));
            if (path.ends_with(suffix)) {
                return true;
            }
        }
    }
    return false;
}

void RewriteFolderCache(FcConfig* config, const std::string& folder) {
    // Forced: the folder may have changed within the clock tick its cache was stamped with,
    // and such a cache would still look current.
    UniqueFcCache cache(FcDirCacheRead(FcText(folder), FcTrue, config));
}

} // namespace kernova
