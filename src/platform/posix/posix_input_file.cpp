#include "platform/posix/posix_input_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kernova::posix {

std::unique_ptr<PosixInputFile> PosixInputFile::Open(const std::string& path, std::error_code& ec,
                                                     Links links) {
    int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    if (links == Links::Refuse) {
        flags |= O_NOFOLLOW;
    }
    UniqueFd fd;
    do {
        fd = UniqueFd(::open(path.c_str(), flags));
    } while (!fd.valid() && errno == EINTR);
    if (!fd.valid()) {
        ec = LastError();
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        ec = LastError();
        return nullptr;
    }
    if (!S_ISREG(info.st_mode) || info.st_size < 0) {
        ec = std::make_error_code(std::errc::invalid_argument);
        return nullptr;
    }
    // Regular files never block; clear the flag so reads behave plainly.
    const int status = ::fcntl(fd.get(), F_GETFL);
    if (status >= 0) {
        ::fcntl(fd.get(), F_SETFL, status & ~O_NONBLOCK);
    }
    ec.clear();
    return std::unique_ptr<PosixInputFile>(
        new PosixInputFile(std::move(fd), info.st_size, info.st_mode & 07777));
}

std::error_code PosixInputFile::ReadSome(std::int64_t offset, void* buffer, std::size_t size,
                                         std::size_t& got) {
    ssize_t n;
    do {
        n = ::pread(fd_.get(), buffer, size, offset);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        got = 0;
        return LastError();
    }
    got = static_cast<std::size_t>(n);
    return {};
}

} // namespace kernova::posix
