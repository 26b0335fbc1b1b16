#pragma once

#include <filesystem>
#include <string>

namespace kernova {

// The platform's folder separator.
inline constexpr char kPathSeparator =
    static_cast<char>(std::filesystem::path::preferred_separator);

// Appends the separator to a non-empty folder path that lacks it (in place; also the
// result). An empty path stays empty: it never becomes the root folder.
inline std::string& AddBackslash(std::string& path) {
    if (!path.empty() && path.back() != kPathSeparator && path.back() != '/') {
        path.push_back(kPathSeparator);
    }
    return path;
}

// `folder` + separator + `name`; the empty text for an empty folder.
inline std::string JoinPath(std::string folder, const std::string& name) {
    if (folder.empty()) {
        return {};
    }
    return AddBackslash(folder) + name;
}

// The folder part of a full path, without a trailing separator ("" for a bare name).
inline std::string FolderOf(const std::string& path) {
    return std::filesystem::path(path).parent_path().string();
}

// A folder as a message names it: without its trailing separator (a root stays itself).
inline std::string ShownFolder(std::string folder) {
    if (folder.size() > 1 && (folder.back() == kPathSeparator || folder.back() == '/')) {
        folder.pop_back();
    }
    return folder;
}

} // namespace kernova
