#include "archive/file_handle.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kernova {

FileHandle FileHandle::Open(const std::string& path, int flags, std::error_code& ec,
                            unsigned mode) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    ec = fd < 0 ? std::error_code(errno, std::generic_category()) : std::error_code();
    return FileHandle(fd);
}

std::error_code FileHandle::Close() {
    if (fd_ < 0) {
        return {};
    }
    // Linux releases the descriptor even when close reports an error: never retry it.
    int result = ::close(std::exchange(fd_, -1));
    if (result != 0 && errno != EINTR) {
        return {errno, std::generic_category()};
    }
    return {};
}

std::error_code ReadExactly(int fd, std::int64_t offset, void* buffer, std::size_t size) {
    auto* out = static_cast<char*>(buffer);
    while (size > 0) {
        ssize_t got = ::pread(fd, out, size, offset);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return {errno, std::generic_category()};
        }
        if (got == 0) {
            return std::make_error_code(std::errc::io_error);
        }
        out += got;
        offset += got;
        size -= static_cast<std::size_t>(got);
    }
    return {};
}

std::error_code WriteAll(int fd, const void* buffer, std::size_t size) {
    const auto* in = static_cast<const char*>(buffer);
    while (size > 0) {
        ssize_t put = ::write(fd, in, size);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put < 0) {
            return {errno, std::generic_category()};
        }
        in += put;
        size -= static_cast<std::size_t>(put);
    }
    return {};
}

} // namespace kernova
