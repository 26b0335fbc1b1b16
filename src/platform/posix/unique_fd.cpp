#include "platform/posix/unique_fd.h"

#include <cerrno>
#include <unistd.h>

namespace kernova::posix {

std::error_code UniqueFd::Close() {
    if (fd_ < 0) {
        return {};
    }
    // Linux releases the descriptor even when close reports an error: never retry it.
    if (::close(std::exchange(fd_, -1)) != 0 && errno != EINTR) {
        return LastError();
    }
    return {};
}

std::error_code LastError() {
    return {errno, std::generic_category()};
}

std::error_code WriteAll(int fd, const void* buffer, std::size_t size) {
    const auto* in = static_cast<const char*>(buffer);
    while (size > 0) {
        const ssize_t put = ::write(fd, in, size);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put < 0) {
            return LastError();
        }
        in += put;
        size -= static_cast<std::size_t>(put);
    }
    return {};
}

} // namespace kernova::posix
