#include "platform/posix/posix_file_system.h"

#include "platform/path.h"
#include "platform/posix/posix_input_file.h"
#include "platform/posix/posix_staged_file.h"
#include "platform/posix/stale_staged_files.h"
#include "platform/posix/unique_fd.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kernova::posix {

std::unique_ptr<InputFile> PosixFileSystem::Open(const std::string& path, std::error_code& ec,
                                                 Links links) {
    return PosixInputFile::Open(path, ec, links);
}

std::unique_ptr<StagedFile> PosixFileSystem::Stage(const std::string& folder, unsigned mode,
                                                   std::error_code& ec) {
    return PosixStagedFile::Create(folder, mode, ec);
}

std::unique_ptr<StagedFile> PosixFileSystem::Adopt(const std::string& path,
                                                   const std::string& folder) {
    return PosixStagedFile::Adopt(path, folder);
}

std::error_code PosixFileSystem::FlushFileSystem(const std::string& folder) {
    // One journal commit and one cache flush of the disk for every file written, where a
    // flush per file costs each of them its own. Since Linux 5.8 it reports write-back
    // errors too; CheckFlushed then tells which file had one.
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid() || ::syncfs(fd.get()) != 0) {
        return LastError();
    }
    return {};
}

std::error_code PosixFileSystem::Remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0 ? std::error_code() : LastError();
}

bool PosixFileSystem::IsFolder(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PosixFileSystem::SameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::string PosixFileSystem::CreatePrivateFolder(const std::string& parent, std::error_code& ec) {
    std::string pattern = JoinPath(parent, "kernova-XXXXXX");
    if (pattern.empty()) {
        ec = std::make_error_code(std::errc::no_such_file_or_directory);
        return {};
    }
    // mkdtemp picks an unpredictable name, never reuses an existing one and creates the
    // folder for its owner only.
    if (::mkdtemp(pattern.data()) == nullptr) {
        ec = LastError();
        return {};
    }
    ::chmod(pattern.c_str(), S_IRWXU);
    ec.clear();
    return pattern;
}

void PosixFileSystem::RemoveTree(const std::string& path) noexcept {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored); // links inside are removed, never followed
}

void PosixFileSystem::RemoveStaleStagedFiles(const std::string& folder) noexcept {
    posix::RemoveStaleStagedFiles(folder);
}

namespace {

// flock on the folder itself: released by the kernel however the process ends.
class FlockedFolder : public FolderLock {
  public:
    explicit FlockedFolder(UniqueFd fd) : fd_(std::move(fd)) {}

  private:
    UniqueFd fd_;
};

} // namespace

std::unique_ptr<FolderLock> PosixFileSystem::LockFolder(const std::string& folder) {
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) {
        return nullptr;
    }
    int held;
    do {
        held = ::flock(fd.get(), LOCK_EX);
    } while (held != 0 && errno == EINTR);
    return held == 0 ? std::make_unique<FlockedFolder>(std::move(fd)) : nullptr;
}

} // namespace kernova::posix
