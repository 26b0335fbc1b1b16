#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>
#include <utility>

namespace kernova {

// Owns one open file descriptor; closes it when it goes away.
class FileHandle {
  public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() { Close(); }
    FileHandle(FileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) {
            Close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // Opens `path` with `flags` (O_CLOEXEC is added); check valid() or `ec`.
    static FileHandle Open(const std::string& path, int flags, std::error_code& ec,
                           unsigned mode = 0);

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now; a failing close (a write that did not reach the disk) is reported.
    std::error_code Close();

  private:
    int fd_ = -1;
};

// Reads exactly `size` bytes at `offset`; a short read (the file ended) is an error.
std::error_code ReadExactly(int fd, std::int64_t offset, void* buffer, std::size_t size);

// Writes all of `size` bytes at the file's current position.
std::error_code WriteAll(int fd, const void* buffer, std::size_t size);

} // namespace kernova
