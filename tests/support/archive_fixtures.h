#pragma once

#include "archive/package_writer.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kernova::test {

// `size` bytes of a pattern that differs with `seed`, so swapped or shifted data shows.
std::string PatternBytes(std::size_t size, unsigned seed);

// A stand-in installer image of `size` bytes (the archive reader never looks at it).
std::string StubBytes(std::size_t size);

// Archive fields as a correct writer makes them.
std::string NameField(const std::string& name); // CR-padded on the left to 40 bytes
std::string SizeField(std::int64_t size);       // ten digits, leading zeros
std::string CountField(int count);              // CR-padded on the left to 5 bytes
RawEntry RawFile(const std::string& name, const std::string& data);

// Writes stub + archive to `path` and returns it.
std::filesystem::path WriteInstaller(const std::filesystem::path& path, const std::string& stub,
                                     const std::string& archive);

// Everything below `root`: relative path -> "dir", "link -> target" or the file's bytes.
// Two equal snapshots mean nothing was written, replaced or removed.
using TreeSnapshot = std::map<std::string, std::string>;
TreeSnapshot Snapshot(const std::filesystem::path& root);

// The names of the entries directly in `folder`, sorted.
std::vector<std::string> FolderNames(const std::filesystem::path& folder);

} // namespace kernova::test
