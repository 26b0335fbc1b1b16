#pragma once

#include "fakes/package_bytes.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kernova::test {

// The names of the entries directly in `folder`, sorted (hidden ones too).
std::vector<std::string> FolderNames(const std::filesystem::path& folder);

} // namespace kernova::test
