#pragma once

#include "archive/file_handle.h"

#include <string>
#include <system_error>

namespace kernova {

// A new file under a fresh, unpredictable temporary name in a folder, renamed onto its
// real name only when it is complete. Until then the real name is untouched; a staged file
// that is never committed is deleted, so a failed write leaves nothing behind. Renaming
// also replaces a link planted under the real name instead of writing through it.
class StagedFile {
  public:
    // Creates the file in `folder` (ending in the separator or not) with `mode` (before the
    // umask). Check valid() or `ec`.
    StagedFile(const std::string& folder, unsigned mode, std::error_code& ec);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    bool valid() const { return file_.valid(); }
    int fd() const { return file_.get(); }
    const std::string& path() const { return path_; }

    // Closes the file and renames it to `target`. On failure the staged file is deleted.
    std::error_code Commit(const std::string& target);

  private:
    FileHandle file_;
    std::string path_;
    bool committed_ = false;
};

} // namespace kernova
