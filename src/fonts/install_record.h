#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace kernova {

class FileSystem;
class InputFile;

// The record, next to the fonts, of what each package installed there: /U removes a
// package's own fonts and nothing else. One small text file in the fonts folder, hidden
// from font indexers by its leading dot, rewritten whole (staged, then renamed) by the one
// run that holds the folder.
inline constexpr const char* kInstallRecordName = ".kernova-installed.txt";

// A font file a package put into the fonts folder, and how it looked then: a file found
// changed later (the user's own under the same name) is not the package's to remove.
struct RecordedFile {
    std::string name; // bare, in the fonts folder
    std::int64_t size = 0;
    std::uint64_t digest = 0; // of its first bytes, which hold every table's checksum
};

struct PackageRecord {
    std::string title;
    std::vector<RecordedFile> files;
    // Installed files (full paths) that already held fonts of the package: another
    // package's or the user's, kept while this package is installed.
    std::set<std::string> uses;
};

// How a font file looks now; the error when it cannot be read.
std::error_code DescribeFile(FileSystem& files, const std::string& path, RecordedFile& out);

// Every package's record in the fonts folder `folder` (ending in the separator); none
// when there is no record yet. A record that cannot be read is an error: it must never be
// overwritten as if it were empty.
std::vector<PackageRecord> ReadInstallRecords(FileSystem& files, const std::string& folder,
                                              std::error_code& ec);

// Writes them all, replacing the record in one step; no packages left: the file goes.
std::error_code WriteInstallRecords(FileSystem& files, const std::string& folder,
                                    const std::vector<PackageRecord>& records);

// Adds what one run of the package `title` installed (`installed`: bare names, now in
// the folder) and used (`present`: full paths) to its record, keeping what earlier runs
// recorded. Of the installed files, those that replaced an older release (`replaced`) are
// the package's only when a package's record already named them: an update of the user's
// own font stays the user's, and /U leaves it.
std::error_code RecordInstall(FileSystem& files, const std::string& folder,
                              const std::string& title, const std::vector<std::string>& installed,
                              const std::vector<std::string>& present,
                              const std::vector<std::string>& replaced = {});

} // namespace kernova
