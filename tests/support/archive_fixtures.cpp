#include "support/archive_fixtures.h"

#include "support/sandbox.h"

#include <algorithm>

namespace kernova::test {

TreeSnapshot Snapshot(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    TreeSnapshot snapshot;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::end(it); ++it) {
        const std::string relative = fs::relative(it->path(), root).string();
        if (it->is_symlink()) {
            snapshot[relative] = "link -> " + fs::read_symlink(it->path()).string();
        } else if (it->is_directory()) {
            snapshot[relative] = "dir";
        } else {
            snapshot[relative] = ReadFileBytes(it->path());
        }
    }
    return snapshot;
}

std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace kernova::test
