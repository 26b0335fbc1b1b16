#pragma once

#include <system_error>
#include <utility>

namespace kernova::posix {

// Owns one open file descriptor and closes it when it goes away.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Close(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }

    // Closes now; a failing close (a write that did not reach the disk) is reported.
    std::error_code Close();

  private:
    int fd_ = -1;
};

// The calling thread's last system error.
std::error_code LastError();

// Writes all of `size` bytes at the descriptor's current position.
std::error_code WriteAll(int fd, const void* buffer, std::size_t size);

} // namespace kernova::posix
