#include "platform/posix/posix_staged_file.h"

#include "platform/path.h"
#include "platform/posix/kernel_copy.h"
#include "platform/posix/posix_input_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace kernova::posix {
namespace {

// Unnamed files get their name through /proc; without it only hidden names work.
bool CanLinkUnnamed() {
    return ::access("/proc/self/fd", X_OK) == 0;
}

std::string RandomLetters() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char bytes[12] = {};
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
        } else if (errno != EINTR) {
            break; // O_EXCL still keeps a guessed name from being used
        }
    }
    std::string letters;
    for (unsigned char b : bytes) {
        letters += kLetters[b % (sizeof kLetters - 1)];
    }
    return letters;
}

// Held until the file is closed: another run's clean-up of stale staged files skips locked
// ones. Where the file system has no locks, that clean-up's age rule still protects it.
void LockWhileWritten(int fd) {
    (void)::flock(fd, LOCK_EX | LOCK_NB);
}

std::string ProcPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

} // namespace

std::string HiddenStagedName(const std::string& folder) {
    return JoinPath(folder, ".kernova-" + RandomLetters() + ".part");
}

std::unique_ptr<PosixStagedFile> PosixStagedFile::Create(const std::string& folder, unsigned mode,
                                                         std::error_code& ec) {
    if (folder.empty()) {
        ec = std::make_error_code(std::errc::no_such_file_or_directory);
        return nullptr;
    }
    if (CanLinkUnnamed()) {
        UniqueFd fd(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
        if (fd.valid()) {
            LockWhileWritten(fd.get());
            ec.clear();
            return std::unique_ptr<PosixStagedFile>(
                new PosixStagedFile(std::move(fd), folder, {}, {}, true));
        }
        // Only a file system without unnamed files makes the hidden name worth a try.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            ec = LastError();
            return nullptr;
        }
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = HiddenStagedName(folder);
        // Known before it exists: a signal at any moment after this removes it.
        RememberedStagedName name(path);
        if (!name.held()) {
            ec = std::make_error_code(std::errc::too_many_files_open);
            return nullptr;
        }
        UniqueFd fd(
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (fd.valid()) {
            LockWhileWritten(fd.get());
            ec.clear();
            return std::unique_ptr<PosixStagedFile>(
                new PosixStagedFile(std::move(fd), folder, std::move(path), std::move(name), true));
        }
        if (errno != EEXIST) {
            break;
        }
    }
    ec = LastError();
    return nullptr;
}

std::unique_ptr<PosixStagedFile> PosixStagedFile::Adopt(const std::string& path,
                                                        const std::string& folder) {
    // Named through /proc, so that exactly the file that was flushed gets the name.
    if (!CanLinkUnnamed()) {
        return nullptr;
    }
    UniqueFd in(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat file {};
    struct stat target {};
    if (!in.valid() || ::fstat(in.get(), &file) != 0 || ::stat(folder.c_str(), &target) != 0) {
        return nullptr;
    }
    if (!S_ISREG(file.st_mode) || file.st_uid != ::geteuid() || file.st_nlink != 1 ||
        file.st_dev != target.st_dev) {
        return nullptr;
    }
    // A labelled file keeps the label of the folder it was made in when linked elsewhere;
    // a copy made in the target folder gets that folder's.
    if (::fgetxattr(in.get(), "security.selinux", nullptr, 0) >= 0) {
        return nullptr;
    }
    if (::fchmod(in.get(), 0644) != 0) {
        return nullptr;
    }
    return std::unique_ptr<PosixStagedFile>(
        new PosixStagedFile(std::move(in), folder, {}, {}, false));
}

PosixStagedFile::~PosixStagedFile() {
    if (!committed_ && !hiddenPath_.empty()) {
        fd_.Close();
        ::unlink(hiddenPath_.c_str());
    }
}

std::error_code PosixStagedFile::Write(const void* data, std::size_t size) {
    if (!writable_) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    return WriteAll(fd_.get(), data, size);
}

std::error_code PosixStagedFile::CopyFrom(InputFile& from, std::int64_t offset, std::int64_t length,
                                          const std::function<void()>& between) {
    if (!writable_) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    // Every input of this file system is a descriptor the kernel can copy from.
    auto* file = dynamic_cast<PosixInputFile*>(&from);
    if (file == nullptr) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    return CopyBytes(file->fd(), offset, fd_.get(), length, between);
}

std::error_code PosixStagedFile::SetMode(unsigned mode) {
    return ::fchmod(fd_.get(), mode) == 0 ? std::error_code() : LastError();
}

std::error_code PosixStagedFile::Flush() {
    return ::fsync(fd_.get()) == 0 ? std::error_code() : LastError();
}

std::error_code PosixStagedFile::CheckFlushed() {
    // The file system's flush wrote the bytes; waiting on this file's own range (nothing is
    // left to write) reports a write-back error of this file, and only of this one.
    const unsigned all =
        SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
    if (::sync_file_range(fd_.get(), 0, 0, all) == 0) {
        return {};
    }
    return errno == ENOSYS || errno == EINVAL ? Flush() : LastError();
}

std::error_code PosixStagedFile::Commit(const std::string& target, Placement placement) {
    if (committed_) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    std::error_code ec;
    if (hiddenPath_.empty()) {
        if (placement == Placement::KeepExisting) {
            ec = LinkUnnamed(target);
        } else {
            // A link cannot replace a name: link under a hidden name, then rename over.
            std::string hidden = HiddenStagedName(folder_);
            RememberedStagedName name(hidden);
            ec = name.held() ? LinkUnnamed(hidden)
                             : std::make_error_code(std::errc::too_many_files_open);
            if (!ec && ::rename(hidden.c_str(), target.c_str()) != 0) {
                ec = LastError();
                ::unlink(hidden.c_str());
            }
        }
        if (!ec) {
            committed_ = true;
            fd_.Close();
        }
        return ec;
    }
    // Closed first, so that a write the close reports as lost never gets the name.
    if (fd_.valid() && (ec = fd_.Close())) {
        return ec; // the destructor deletes the hidden file
    }
    ec = RenameHidden(target, placement);
    if (!ec) {
        committed_ = true;
        name_.Forget();
    }
    return ec; // a taken name leaves the file staged for another try
}

std::error_code PosixStagedFile::LinkUnnamed(const std::string& target) {
    if (::linkat(AT_FDCWD, ProcPath(fd_.get()).c_str(), AT_FDCWD, target.c_str(),
                 AT_SYMLINK_FOLLOW) != 0) {
        return LastError();
    }
    return {};
}

std::error_code PosixStagedFile::RenameHidden(const std::string& target, Placement placement) {
    const char* from = hiddenPath_.c_str();
    if (placement == Placement::Replace) {
        return ::rename(from, target.c_str()) == 0 ? std::error_code() : LastError();
    }
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        return {};
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return LastError();
    }
    // No atomic no-replace rename here: a hard link fails just as surely when taken.
    if (::link(from, target.c_str()) == 0) {
        ::unlink(from);
        return {};
    }
    if (errno != EPERM && errno != EOPNOTSUPP) {
        return LastError();
    }
    // A file system without hard links: check, then rename.
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0) {
        return std::make_error_code(std::errc::file_exists);
    }
    return ::rename(from, target.c_str()) == 0 ? std::error_code() : LastError();
}

} // namespace kernova::posix
