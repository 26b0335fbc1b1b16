#pragma once

#include "fakes/package_bytes.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kernova::test {

// The names of the entries directly in `folder`, sorted (hidden ones too).
std::vector<std::string> FolderNames(const std::filesystem::path& folder);

// Every file, folder and link below `root` with its contents: two snapshots are equal when
// nothing was written, replaced or removed.
using TreeSnapshot = std::map<std::string, std::string>;
TreeSnapshot Snapshot(const std::filesystem::path& root);

} // namespace kernova::test
