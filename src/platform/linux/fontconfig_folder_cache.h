#pragma once

#include <fontconfig/fontconfig.h>
#include <map>
#include <optional>
#include <string>
#include <unordered_set>

namespace kernova {

// The name under which `config` lists the font folder `folder` (the same folder, however
// it is spelt there), or nothing when the configuration does not index that folder.
std::optional<std::string> ConfiguredFontFolder(FcConfig* config, const std::string& folder);

// Keeps font folders' caches listing the fonts registered into them, so that new programs
// load the cache instead of scanning the folder themselves.
//
// It remembers, per folder, the files its cache listed when last seen current and the
// folder's modification time then: registering many fonts into a folder reads its cache
// once, not once per font. Fonts copied in one go and registered afterwards cost one scan
// of the folder; a folder that changes between registrations is scanned again each time.
class FolderCaches {
  public:
    // Makes sure the cache of `folder` (named as `config` lists it) is current and lists
    // the file `fileName` of that folder: scans the folder and writes its cache when not.
    void Include(FcConfig* config, const std::string& folder, const std::string& fileName);

    // Scans `folder` and writes its cache now: files went from it, which a cache stamped
    // within the same clock tick would still list.
    void Rescan(FcConfig* config, const std::string& folder);

    void Forget() { folders_.clear(); }

  private:
    struct Listed {
        long long modifiedSeconds = 0;
        long modifiedNanoseconds = 0;
        std::unordered_set<std::string> files;
    };
    std::map<std::string, Listed> folders_;
};

} // namespace kernova
