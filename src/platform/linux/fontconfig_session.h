#pragma once

#include "platform/linux/fontconfig_folder_cache.h"
#include "platform/linux/fontconfig_handles.h"

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace kernova {

// This process's view of the font registry: one fontconfig configuration, loaded for the
// environment the process has at the time of each call.
//
// Loading a configuration parses its files and maps the cache of every font folder (a
// few milliseconds on a desktop), so it is kept between calls rather than loaded for
// each. It is process-wide because the registry is: a font registered in this run must be
// seen by the next lookup. It follows the environment: when FONTCONFIG_FILE, or one of the
// variables a configuration names folders by (HOME, XDG_*), changes, the next call loads a
// configuration for the new environment. One thread (the user interface's) calls it.
class FontconfigSession {
  public:
    static FontconfigSession& Instance();

    FontconfigSession(const FontconfigSession&) = delete;
    FontconfigSession& operator=(const FontconfigSession&) = delete;

    // True when a font with this full name is known, compared as fontconfig compares
    // names (without regard to case and spaces). False when no configuration loads.
    bool ListsFullName(const std::string& fullName);

    // Makes the font file at `path` (absolute) known: in a folder the configuration
    // indexes, through that folder's cache, brought up to date here so new programs see it
    // too; anywhere else, to this process only. The next lookup sees it either way.
    void AddFontFile(const std::string& path);

    // Loads the configuration afresh, which brings the cache of every font folder it
    // indexes up to date; files added from elsewhere are added again.
    void Rebuild();

  private:
    FontconfigSession() = default;

    // The configuration for the current environment, as loaded (nullptr when none loads).
    FcConfig* ForEnvironment();
    // The same, reloaded first when this process changed a folder since it was loaded.
    FcConfig* UpToDate();
    void Reload();
    static std::unordered_set<std::string> ListedFullNames(FcConfig* config);

    std::string environment_;
    UniqueFcConfig config_;
    // A folder cache changed since config_ was loaded.
    bool stale_ = false;
    // Files added from outside the indexed folders: the configuration does not know them.
    std::vector<std::string> outsideFiles_;
    FolderCaches folderCaches_;
    // The listing keys of every full name config_ lists, made at the first lookup.
    std::optional<std::unordered_set<std::string>> fullNames_;
};

} // namespace kernova
