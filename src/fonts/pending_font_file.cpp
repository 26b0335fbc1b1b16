#include "fonts/pending_font_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace kernova {
namespace {

std::error_code LastError() {
    return {errno, std::generic_category()};
}

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

std::error_code WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LastError();
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return {};
}

std::error_code CopyByReading(int in, int out) {
    std::vector<char> buffer(1 << 20);
    for (;;) {
        ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LastError();
        }
        if (n == 0) {
            return {};
        }
        if (std::error_code ec = WriteAll(out, buffer.data(), static_cast<size_t>(n))) {
            return ec;
        }
    }
}

// Copies inside the kernel where it can; falls back to reading and writing.
std::error_code CopyBytes(int in, int out, off_t size) {
    off_t copied = 0;
    while (copied < size) {
        ssize_t n =
            ::copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(size - copied), 0);
        if (n > 0) {
            copied += n;
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        bool unsupported =
            n == 0 || errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP;
        if (!unsupported) {
            return LastError();
        }
        break;
    }
    // Whatever copy_file_range left: all of it where it is unsupported, or a file that grew.
    return CopyByReading(in, out);
}

} // namespace

PendingFontFile::PendingFontFile(const std::string& folder) {
    // An unnamed file gets its name through /proc; without /proc use a hidden name.
    if (::access("/proc/self/fd", X_OK) == 0) {
        int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            fd_ = fd;
            return;
        }
        error_ = LastError();
        // Only a file system without unnamed files makes the hidden name worth a try.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            return;
        }
    }
    std::string pattern = folder + ".kernova-XXXXXX";
    int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        error_ = LastError();
        return;
    }
    error_.clear();
    fd_ = fd;
    tempPath_ = pattern;
}

std::unique_ptr<PendingFontFile> PendingFontFile::Adopt(const std::string& source,
                                                        const std::string& folder) {
    // Published through /proc, so that exactly the file that was flushed gets the name.
    if (::access("/proc/self/fd", X_OK) != 0) {
        return nullptr;
    }
    FileDescriptor in(::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat file;
    struct stat target;
    if (!in.valid() || ::fstat(in.get(), &file) != 0 || ::stat(folder.c_str(), &target) != 0) {
        return nullptr;
    }
    if (!S_ISREG(file.st_mode) || file.st_uid != ::geteuid() || file.st_nlink != 1 ||
        file.st_dev != target.st_dev) {
        return nullptr;
    }
    // A labelled file keeps the label of the folder it was made in when linked elsewhere;
    // a copy made in the fonts folder gets the fonts folder's.
    if (::fgetxattr(in.get(), "security.selinux", nullptr, 0) >= 0) {
        return nullptr;
    }
    if (::fchmod(in.get(), 0644) != 0) {
        return nullptr;
    }
    std::unique_ptr<PendingFontFile> adopted(new PendingFontFile());
    adopted->fd_ = in.release();
    return adopted;
}

PendingFontFile::~PendingFontFile() {
    if (!published_ && !tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
    }
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::error_code PendingFontFile::CopyFrom(const std::string& source) {
    FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st;
    if (!in.valid() || ::fstat(in.get(), &st) != 0) {
        return LastError();
    }
    if (!S_ISREG(st.st_mode)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    if (std::error_code ec = CopyBytes(in.get(), fd_, st.st_size)) {
        return ec;
    }
    // Readable by everyone who uses the folder's fonts, whatever the umask.
    if (::fchmod(fd_, 0644) != 0) {
        return LastError();
    }
    return {};
}

void PendingFontFile::StartWriteBack() {
    // Only a head start for Flush: where it is unsupported Flush does all the work.
    (void)::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
}

std::error_code PendingFontFile::Flush() {
    if (::fsync(fd_) != 0) {
        return LastError();
    }
    return {};
}

std::error_code PendingFontFile::Publish(const std::string& target) {
    std::error_code ec = tempPath_.empty() ? LinkUnnamed(target) : RenameHidden(target);
    if (!ec) {
        published_ = true;
    }
    return ec;
}

std::error_code PendingFontFile::LinkUnnamed(const std::string& target) {
    std::string self = "/proc/self/fd/" + std::to_string(fd_);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        return LastError();
    }
    return {};
}

std::error_code PendingFontFile::RenameHidden(const std::string& target) {
    if (::renameat2(AT_FDCWD, tempPath_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        return {};
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return LastError();
    }
    // No atomic no-replace rename here: a hard link fails just as surely when taken.
    if (::link(tempPath_.c_str(), target.c_str()) == 0) {
        ::unlink(tempPath_.c_str());
        return {};
    }
    if (errno != EPERM && errno != EOPNOTSUPP) {
        return LastError();
    }
    // A file system without hard links: check, then rename.
    struct stat st;
    if (::lstat(target.c_str(), &st) == 0) {
        return std::make_error_code(std::errc::file_exists);
    }
    if (::rename(tempPath_.c_str(), target.c_str()) != 0) {
        return LastError();
    }
    return {};
}

} // namespace kernova
