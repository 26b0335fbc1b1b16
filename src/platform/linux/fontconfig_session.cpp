#include "platform/linux/fontconfig_session.h"

#include "platform/linux/fontconfig_folder_cache.h"

#include <cstdlib>
#include <filesystem>

namespace kernova {
namespace {

// Everything in the environment that decides which configuration fontconfig loads and
// which folders and caches it names.
std::string EnvironmentKey() {
    static constexpr const char* kVariables[] = {
        "FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT", "HOME",
        "XDG_CONFIG_HOME", "XDG_DATA_HOME",   "XDG_CACHE_HOME",
    };
    std::string key;
    for (const char* name : kVariables) {
        const char* value = std::getenv(name);
        // An unset variable and an empty one differ to fontconfig.
        if (value != nullptr) {
            key += '=';
            key += value;
        } else {
            key += '-';
        }
        key.push_back('\0');
    }
    return key;
}

} // namespace

FontconfigSession& FontconfigSession::Instance() {
    static FontconfigSession session;
    return session;
}

FcConfig* FontconfigSession::ForEnvironment() {
    std::string environment = EnvironmentKey();
    if (!config_ || environment != environment_) {
        environment_ = std::move(environment);
        outsideFiles_.clear();
        folderCaches_.Forget();
        Reload();
    }
    return config_.get();
}

FcConfig* FontconfigSession::UpToDate() {
    if (ForEnvironment() != nullptr && stale_) {
        Reload();
    }
    return config_.get();
}

void FontconfigSession::Reload() {
    UniqueFcConfig fresh(FcInitLoadConfigAndFonts());
    if (fresh) {
        for (const std::string& file : outsideFiles_) {
            FcConfigAppFontAddFile(fresh.get(), FcText(file));
        }
    }
    config_ = std::move(fresh);
    stale_ = false;
}

bool FontconfigSession::ListsFullName(const std::string& fullName) {
    FcConfig* config = UpToDate();
    if (config == nullptr) {
        return false;
    }
    UniqueFcPattern pattern(FcPatternCreate());
    UniqueFcObjectSet properties(FcObjectSetBuild(FC_FILE, nullptr));
    if (!pattern || !properties ||
        !FcPatternAddString(pattern.get(), FC_FULLNAME, FcText(fullName))) {
        return false;
    }
    // Listing compares strings without regard to case and blanks.
    UniqueFcFontSet fonts(FcFontList(config, pattern.get(), properties.get()));
    return fonts && fonts->nfont > 0;
}

void FontconfigSession::AddFontFile(const std::string& path) {
    FcConfig* config = ForEnvironment();
    if (config == nullptr) {
        return;
    }
    const std::filesystem::path file(path);
    if (auto folder = ConfiguredFontFolder(config, file.parent_path().string())) {
        folderCaches_.Include(config, *folder, file.filename().string());
        // The loaded configuration predates the folder's new cache.
        stale_ = true;
        return;
    }
    if (FcConfigAppFontAddFile(config, FcText(path))) {
        outsideFiles_.push_back(path);
    }
}

void FontconfigSession::Rebuild() {
    if (config_ && EnvironmentKey() == environment_) {
        Reload();
    } else {
        ForEnvironment();
    }
}

} // namespace kernova
