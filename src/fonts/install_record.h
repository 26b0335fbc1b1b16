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
    bool operator==(const RecordedFile&) const = default;
};

struct PackageRecord {
    std::string title;
    std::vector<RecordedFile> files;
    // Installed files (full paths) that already held fonts of the package: another
    // package's or the user's, kept while this package is installed.
    std::set<std::string> uses;
    bool operator==(const PackageRecord&) const = default;
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

// Why the record at `path` could not be read or written, as the user is told it.
std::string RecordProblem(const std::error_code& ec);

// What a run of a package did, or is about to do, for its record.
struct RecordChange {
    std::vector<RecordedFile> installed; // put into the folder (or about to be)
    std::vector<std::string> present;    // installed files (full paths) it relies on
    // Of the installed, those that took the place of an older release's file: the
    // package's only when a package's record already named them (an update of the user's
    // own font stays the user's, and /U leaves it).
    std::vector<std::string> replaced;
    // Names recorded ahead by this run whose fonts did not come after all.
    std::vector<std::string> dropped;
};

// Adds a run's change to the record of the package `title`, keeping what earlier runs
// recorded.
std::error_code RecordInstall(FileSystem& files, const std::string& folder,
                              const std::string& title, const RecordChange& change);

} // namespace kernova
