#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kernova {

class FileSystem;

// One entry to append: its stored name and where its bytes come from.
struct PackageInput {
    std::string name;       // stored name: a plain file name of at most 40 bytes
    std::string sourcePath; // file to copy the data from; empty when `data` is used
    std::string data;       // the entry's bytes when there is no source file
    bool fromMemory = false;
    bool crlfLineEnds = false; // store a text with CR LF line ends: a lone LF becomes CR LF
};

// Writes an installer: the stub, then one entry record per input in the given order, then
// the trailer. Everything is checked before the output exists; the output is written as a
// staged file in its folder and committed into place, so a failure leaves no file.
// Throws std::runtime_error (with a message naming the culprit) on bad input or I/O failure.
// Memory use does not depend on the input sizes.
void WritePackage(FileSystem& files, const std::string& stubPath,
                  const std::vector<PackageInput>& inputs, const std::string& outputPath);

// The same, writing the archive with raw fields: for tests that need damaged packages.
// No checks are made; `rawCountField` (5 bytes) and each entry's raw 40-byte name field and
// 10-byte size field are written as given.
struct RawEntry {
    std::string data;
    std::string nameField; // exactly 40 bytes
    std::string sizeField; // exactly 10 bytes
};
std::string BuildRawArchive(const std::vector<RawEntry>& entries, const std::string& countField);

} // namespace kernova
