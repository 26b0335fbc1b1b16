#include "platform/linux/mapped_file.h"

#include "platform/posix/posix_input_file.h"

#include <limits>
#include <sys/mman.h>
#include <utility>

namespace kernova {

std::optional<MappedFile> MappedFile::Map(const posix::PosixInputFile& file) {
    if (file.Size() == 0) {
        return MappedFile(nullptr, 0);
    }
    if (static_cast<std::uint64_t>(file.Size()) > std::numeric_limits<std::size_t>::max()) {
        return std::nullopt;
    }
    const auto size = static_cast<std::size_t>(file.Size());
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
