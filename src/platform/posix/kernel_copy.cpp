#include "platform/posix/kernel_copy.h"

#include "platform/posix/unique_fd.h"

#include <algorithm>
#include <cerrno>
#include <sys/sendfile.h>
#include <unistd.h>
#include <vector>

namespace kernova::posix {
namespace {

// Long copies are split so that the caller's `between` runs now and then.
constexpr std::int64_t kChunk = std::int64_t{16} << 20;
constexpr std::size_t kBuffer = std::size_t{256} << 10;

enum class Way { CopyFileRange, SendFile, Buffer };

// Errors that only say "not this way between these two files": fall back to the next way.
bool IsUnsupported(int error) {
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ||
           error == EBADF;
}

} // namespace

std::error_code CopyBytes(int from, std::int64_t offset, int to, std::int64_t length,
                          const std::function<void()>& between) {
    Way way = Way::CopyFileRange;
    std::vector<char> buffer;
    std::int64_t sinceCall = 0;
    while (length > 0) {
        const auto want = static_cast<std::size_t>(std::min(length, kChunk));
        ssize_t done = -1;
        if (way == Way::CopyFileRange) {
            loff_t in = offset;
            done = ::copy_file_range(from, &in, to, nullptr, want, 0);
            if (done < 0 && IsUnsupported(errno)) {
                way = Way::SendFile;
                continue;
            }
        } else if (way == Way::SendFile) {
            off_t in = offset;
            done = ::sendfile(to, from, &in, want);
            if (done < 0 && IsUnsupported(errno)) {
                way = Way::Buffer;
                continue;
            }
        } else {
            if (buffer.empty()) {
                buffer.resize(kBuffer);
            }
            const std::size_t part = std::min(want, buffer.size());
            done = ::pread(from, buffer.data(), part, offset);
            if (done > 0) {
                if (std::error_code ec = WriteAll(to, buffer.data(), static_cast<size_t>(done))) {
                    return ec;
                }
            }
        }
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done < 0) {
            return {errno, std::generic_category()};
        }
        if (done == 0) {
            return std::make_error_code(std::errc::io_error); // the source ended early
        }
        offset += done;
        length -= done;
        sinceCall += done;
        if (between && sinceCall >= kChunk && length > 0) {
            sinceCall = 0;
            between();
        }
    }
    return {};
}

} // namespace kernova::posix
