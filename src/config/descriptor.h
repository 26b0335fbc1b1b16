#pragma once

#include <string>

namespace kernova {

class FileSystem;

// Full path of the extracted package descriptor; set by package loading.
extern std::string DescriptorPath;

// The value of one tag of the descriptor at `filePath` (DescriptorPath when empty), or
// `defaultValue` when the tag is absent, empty, or the file cannot be read. Never throws.
std::string ReadTag(FileSystem& files, const std::string& tagName, const std::string& filePath,
                    const std::string& defaultValue);

} // namespace kernova
