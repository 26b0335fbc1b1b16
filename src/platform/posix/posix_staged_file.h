#pragma once

#include "platform/file_system.h"
#include "platform/posix/staged_names.h"
#include "platform/posix/unique_fd.h"

#include <memory>
#include <string>

namespace kernova::posix {

// A staged file in a folder: unnamed (O_TMPFILE) where the file system has such files,
// else under a hidden name (".kernova-<random>.part") that font indexers skip. Committing
// links the unnamed file into place, or renames the hidden one; a file that is never
// committed disappears (unnamed) or is deleted (hidden). A hidden name is known to the
// termination clean-up for as long as it exists; the file is locked (flock) while it is
// written, so that the stale-file clean-up of another run leaves it alone.
class PosixStagedFile : public StagedFile {
  public:
    static std::unique_ptr<PosixStagedFile> Create(const std::string& folder, unsigned mode,
                                                   std::error_code& ec);

    // The finished file at `path` itself, to be committed into `folder` without a second
    // copy; nullptr when it cannot be. Only a regular file that is ours, has no other name,
    // lies on the same file system as `folder` and carries no security label (which a file
    // made in the folder would get anew) is adopted. It is made readable by everyone.
    static std::unique_ptr<PosixStagedFile> Adopt(const std::string& path,
                                                  const std::string& folder);

    ~PosixStagedFile() override;

    std::error_code Write(const void* data, std::size_t size) override;
    std::error_code CopyFrom(InputFile& from, std::int64_t offset, std::int64_t length,
                             const std::function<void()>& between) override;
    std::error_code SetMode(unsigned mode) override;
    std::error_code Flush() override;
    std::error_code CheckFlushed() override;
    std::error_code Commit(const std::string& target, Placement placement) override;

  private:
    PosixStagedFile(UniqueFd fd, std::string folder, std::string hiddenPath,
                    RememberedStagedName name, bool writable)
        : fd_(std::move(fd)), folder_(std::move(folder)), hiddenPath_(std::move(hiddenPath)),
          name_(std::move(name)), writable_(writable) {}

    // Gives the unnamed file a name: `target` itself, or a hidden one to rename from.
    std::error_code LinkUnnamed(const std::string& target);
    std::error_code RenameHidden(const std::string& target, Placement placement);

    UniqueFd fd_;
    std::string folder_;
    std::string hiddenPath_; // empty for an unnamed file
    RememberedStagedName name_;
    bool writable_;
    bool committed_ = false;
};

// A fresh hidden name in `folder` for a staged file: ".kernova-<random>.part".
std::string HiddenStagedName(const std::string& folder);

} // namespace kernova::posix
