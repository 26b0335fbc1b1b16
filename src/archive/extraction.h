#pragma once

#include "archive/archive_directory.h"

#include <functional>
#include <string>
#include <vector>

namespace kernova {

class FileSystem;

// A private extraction folder: a fresh, unpredictably named, owner-only folder inside the
// temporary folder. Removed with everything in it when the object goes away.
class ExtractionFolder {
  public:
    // Creates the folder inside `tempFolder`. Throws EnvironmentFault when it cannot.
    ExtractionFolder(FileSystem& files, const std::string& tempFolder);
    ~ExtractionFolder();
    ExtractionFolder(const ExtractionFolder&) = delete;
    ExtractionFolder& operator=(const ExtractionFolder&) = delete;

    // The folder, ending in the separator: ExtractPath.
    const std::string& path() const { return path_; }

    // Removes the folder and whatever is left in it; failures are ignored.
    void Remove() noexcept;

  private:
    FileSystem& files_;
    std::string path_;
};

// Which entries go into a folder; empty: every entry.
using EntryFilter = std::function<bool(const std::string& name)>;

// Writes every entry of `directory` from `file` into `extractPath` (only those `wanted`
// keeps, when given), in read order, streaming each entry. An entry that cannot be written
// (a full disk, a read error) leaves no file and throws EnvironmentFault: a missing entry
// would otherwise read as a damaged package. `pump` is called while working so the notice
// stays painted.
void ExtractAll(FileSystem& files, const std::string& file, const ArchiveDirectory& directory,
                const std::string& extractPath, const std::function<void()>& pump,
                const EntryFilter& wanted = {});

// Writes every entry of `directory` straight from `file` into `appPath`, each through a
// staged file committed into place, each name once with the bytes ExtractAll leaves under
// it (of two entries of one name, the one appended earlier). A file that cannot be written
// is skipped and the rest still go; a name that would replace `installer` (the running
// installer's own file) is never written. Returns one message per file not written,
// naming the file and the cause.
std::vector<std::string> ExtractFonts(FileSystem& files, const std::string& file,
                                      const ArchiveDirectory& directory, const std::string& appPath,
                                      const std::string& installer);

// Deletes every listed file from `extractPath`. Failures are skipped.
void KillFiles(FileSystem& files, const std::vector<std::string>& names,
               const std::string& extractPath);

} // namespace kernova
