#pragma once

#include "platform/linux/fontconfig_folder_cache.h"
#include "platform/linux/fontconfig_handles.h"

#include <optional>
#include <set>
#include <string>
#include <unordered_map>
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

    // The files of the fonts known by this full name, compared as fontconfig compares
    // names (without regard to case and spaces). None when no configuration loads.
    std::vector<std::string> FilesWithFullName(const std::string& fullName);

    // Makes the font file at `path` (absolute) known: in a folder the configuration
    // indexes, through that folder's cache, brought up to date here so new programs see it
    // too; anywhere else, to this process only. The next lookup sees it either way.
    void AddFontFile(const std::string& path);

    // The font file at `path` (absolute) is going: its folder's cache is written anew at
    // the next Rebuild, and a file added from elsewhere is no longer added.
    void RemoveFontFile(const std::string& path);

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
    using FilesByName = std::unordered_map<std::string, std::vector<std::string>>;
    static FilesByName ListedFullNames(FcConfig* config);

    std::string environment_;
    UniqueFcConfig config_;
    // A folder cache changed since config_ was loaded.
    bool stale_ = false;
    // Files added from outside the indexed folders: the configuration does not know them.
    std::vector<std::string> outsideFiles_;
    FolderCaches folderCaches_;
    // Folders files went from since config_ was loaded.
    std::set<std::string> rescans_;
    // The files of every full name config_ lists, by listing key, made at the first lookup.
    std::optional<FilesByName> fullNames_;
};

} // namespace kernova
