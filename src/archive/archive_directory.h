#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kernova {

class FileSystem;

struct ArchiveEntry {
    std::string name;            // the name field with CR and LF removed, nothing else trimmed
    std::int32_t size = 0;       // data length in bytes
    std::int64_t dataOffset = 0; // first data byte, from the start of the file
};

// What the directory pass read, in read order (index 0 nearest the trailer).
struct ArchiveDirectory {
    std::int16_t EntryCount = 0; // the count field as parsed (may be 0 or negative)
    std::vector<ArchiveEntry> entries;
};

// The directory pass over the package appended to `file`. Reads the count and every
// entry's name and size from the end of the file; checks that every name is a plain file
// name and every entry lies inside the file. Throws CorruptPackage when the bytes are wrong,
// EnvironmentFault when the file cannot be opened or read.
ArchiveDirectory ReadArchiveDirectory(FileSystem& files, const std::string& file);

} // namespace kernova
