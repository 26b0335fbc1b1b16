#pragma once

#include <memory>
#include <string>
#include <system_error>

namespace kernova {

// A font file on its way into a fonts folder before it has a name anything indexes. Either
// a new file written there, unnamed (O_TMPFILE) where the file system has such files, else
// under a hidden name that font indexers skip (".kernova-XXXXXX"); or a finished file of
// our own adopted as it is (Adopt). It is published under its final name without replacing
// anything; a new file that never is leaves nothing behind.
class PendingFontFile {
  public:
    // Opens a new file in `folder` (ending in the separator); see error().
    explicit PendingFontFile(const std::string& folder);

    // The file at `source` itself, to become the font without a second copy; nullptr when
    // it cannot be. Only a regular file that is ours, has no other name, lies on the same
    // file system as `folder` and carries no security label (which a file made in the
    // folder would get anew) is adopted. It is made readable by everyone.
    static std::unique_ptr<PendingFontFile> Adopt(const std::string& source,
                                                  const std::string& folder);
    ~PendingFontFile();
    PendingFontFile(const PendingFontFile&) = delete;
    PendingFontFile& operator=(const PendingFontFile&) = delete;

    // Why the file could not be opened; empty when it is open.
    const std::error_code& error() const { return error_; }
    int fd() const { return fd_; }

    // Writes the whole of the file at `source`, readable by everyone who uses the folder.
    std::error_code CopyFrom(const std::string& source);

    // Starts writing the bytes back to disk, without waiting.
    void StartWriteBack();

    // Waits until the bytes and the file's own data are on disk.
    std::error_code Flush();

    // Gives the file the name `target` (a full path); file_exists when anything, a link
    // included, has that name already.
    std::error_code Publish(const std::string& target);

  private:
    PendingFontFile() = default;

    std::error_code LinkUnnamed(const std::string& target);
    std::error_code RenameHidden(const std::string& target);

    int fd_ = -1;
    std::string tempPath_; // empty for an unnamed file
    std::error_code error_;
    bool published_ = false;
};

} // namespace kernova
