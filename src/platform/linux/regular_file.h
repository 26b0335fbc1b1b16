#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>

namespace kernova {

// A regular file opened for reading. Opening never blocks (a FIFO or device under the
// name is refused, not waited on), and anything that is not a regular file (a folder, a
// socket, a device) does not open at all.
class RegularFile {
  public:
    // The file at `path`, or nothing when it cannot be opened or is not a regular file.
    static std::optional<RegularFile> Open(const std::string& path);

    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&& other) noexcept;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;
    ~RegularFile();

    int fd() const { return fd_; }
    // The size when the file was opened.
    std::uint64_t size() const { return size_; }

    // Reads up to `count` bytes at the current position: the number read, 0 at the end,
    // -1 on a read error.
    ssize_t Read(void* buffer, std::size_t count);

  private:
    RegularFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}

    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// A read-only view of a whole regular file's bytes, unmapped when it goes away. Empty for
// an empty file.
class MappedFile {
  public:
    static std::optional<MappedFile> Map(const RegularFile& file);

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
