#pragma once

#include "fakes/package_bytes.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kernova::test {

// An installer in `folder`: a small stand-in stub with `entries` appended by the package
// writer. The last entry is the one read first (index 0 of lstFiles).
std::filesystem::path MakeInstaller(const std::filesystem::path& folder,
                                    const std::vector<PackageInput>& entries,
                                    const std::string& fileName = "setup-kernova");

PackageInput FileEntry(const std::string& name, const std::filesystem::path& source);

// Everything below `folder` (files and folders), as sorted relative paths.
std::vector<std::string> FolderContents(const std::filesystem::path& folder);

} // namespace kernova::test
