#pragma once

#include <fontconfig/fontconfig.h>
#include <optional>
#include <string>

namespace kernova {

// The name under which `config` lists the font folder `folder` (the same folder, however
// it is spelt there), or nothing when the configuration does not index that folder.
std::optional<std::string> ConfiguredFontFolder(FcConfig* config, const std::string& folder);

// True when the folder's cache is up to date (as fontconfig judges it when a program
// starts) and lists the font file `fileName` (a bare name) of that folder.
bool FolderCacheLists(FcConfig* config, const std::string& folder, const std::string& fileName);

// Scans the folder now and writes its cache, so that new programs load it instead of
// scanning the folder themselves.
void RewriteFolderCache(FcConfig* config, const std::string& folder);

} // namespace kernova
