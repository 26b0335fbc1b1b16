#include "platform/linux/regular_file.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kernova {

std::optional<RegularFile> RegularFile::Open(const std::string& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    // O_NONBLOCK: opening a FIFO would otherwise wait for a writer forever.
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        ::close(fd);
        return std::nullopt;
    }
    // Regular files never block; clear the flag so reads behave plainly.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    return RegularFile(fd, static_cast<std::uint64_t>(info.st_size));
}

RegularFile::RegularFile(RegularFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
    }
    return *this;
}

RegularFile::~RegularFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

ssize_t RegularFile::Read(void* buffer, std::size_t count) {
    ssize_t got;
    do {
        got = ::read(fd_, buffer, count);
    } while (got < 0 && errno == EINTR);
    return got;
}

std::optional<MappedFile> MappedFile::Map(const RegularFile& file) {
    if (file.size() == 0) {
        return MappedFile(nullptr, 0);
    }
    if (file.size() > std::numeric_limits<std::size_t>::max()) {
        return std::nullopt;
    }
    const auto size = static_cast<std::size_t>(file.size());
    void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file.fd(), 0);
    if (data == MAP_FAILED) {
        return std::nullopt;
    }
    return MappedFile(static_cast<const unsigned char*>(data), size);
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        Unmap();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

MappedFile::~MappedFile() {
    Unmap();
}

void MappedFile::Unmap() {
    if (data_ != nullptr) {
        ::munmap(const_cast<unsigned char*>(data_), size_);
        data_ = nullptr;
    }
}

} // namespace kernova
