#pragma once

#include <cstddef>
#include <optional>

namespace kernova::posix {
class PosixInputFile;
}

namespace kernova {

// A read-only view of a whole regular file's bytes, unmapped when it goes away. Empty for
// an empty file.
class MappedFile {
  public:
    static std::optional<MappedFile> Map(const posix::PosixInputFile& file);

    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    const unsigned char* data() const { return data_; }
    std::size_t size() const { return size_; }

  private:
    MappedFile(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
    void Unmap();

    const unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace kernova
