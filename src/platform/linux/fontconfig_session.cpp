#include "platform/linux/fontconfig_session.h"

#include "platform/linux/fontconfig_folder_cache.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

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

// A full name as fontconfig's listing compares it: folded as fontconfig folds case (more
// than ASCII: "ß" folds to "ss"), with the spaces left out. Two names are the same font name
// to fontconfig exactly when their keys are equal.
std::string ListingKey(const FcChar8* name) {
    std::unique_ptr<FcChar8, decltype(&FcStrFree)> folded(FcStrDowncase(name), &FcStrFree);
    std::string key;
    if (folded) {
        for (const FcChar8* at = folded.get(); *at != 0; ++at) {
            if (*at != ' ') {
                key.push_back(static_cast<char>(*at));
            }
        }
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
        rescans_.clear();
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
    fullNames_.reset();
}

std::vector<std::string> FontconfigSession::FilesWithFullName(const std::string& fullName) {
    FcConfig* config = UpToDate();
    if (config == nullptr) {
        return {};
    }
    // One listing of every font per configuration, not one per lookup: a package of
    // thousands of fonts looked up on a desktop of thousands.
    if (!fullNames_) {
        fullNames_ = ListedFullNames(config);
    }
    const auto found = fullNames_->find(ListingKey(FcText(fullName)));
    return found == fullNames_->end() ? std::vector<std::string>() : found->second;
}

FontconfigSession::FilesByName FontconfigSession::ListedFullNames(FcConfig* config) {
    FilesByName keys;
    UniqueFcPattern pattern(FcPatternCreate());
    UniqueFcObjectSet properties(FcObjectSetBuild(FC_FULLNAME, FC_FILE, nullptr));
    if (!pattern || !properties) {
        return keys;
    }
    UniqueFcFontSet fonts(FcFontList(config, pattern.get(), properties.get()));
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        FcChar8* file = nullptr;
        const std::string path =
            FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch && file
                ? reinterpret_cast<const char*>(file)
                : "";
        FcChar8* name = nullptr;
        for (int n = 0; FcPatternGetString(fonts->fonts[i], FC_FULLNAME, n, &name) == FcResultMatch;
             ++n) {
            std::vector<std::string>& files = keys[ListingKey(name)];
            if (std::find(files.begin(), files.end(), path) == files.end()) {
                files.push_back(path);
            }
        }
    }
    return keys;
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
        fullNames_.reset();
    }
}

void FontconfigSession::RemoveFontFile(const std::string& path) {
    FcConfig* config = ForEnvironment();
    if (config == nullptr) {
        return;
    }
    std::erase(outsideFiles_, path);
    if (auto folder = ConfiguredFontFolder(config, std::filesystem::path(path).parent_path())) {
        rescans_.insert(*folder);
    }
    stale_ = true;
}

void FontconfigSession::Rebuild() {
    if (config_ && EnvironmentKey() == environment_) {
        for (const std::string& folder : rescans_) {
            folderCaches_.Rescan(config_.get(), folder);
        }
        rescans_.clear();
        Reload();
    } else {
        ForEnvironment();
    }
}

} // namespace kernova
