#pragma once

#include "platform/file_system.h"
#include "platform/posix/unique_fd.h"

#include <memory>
#include <string>

namespace kernova::posix {

// A regular file open for reading through its descriptor.
class PosixInputFile : public InputFile {
  public:
    // Opening never blocks: O_NONBLOCK keeps a FIFO under the name from waiting for a
    // writer; anything but a regular file is refused with invalid_argument.
    static std::unique_ptr<PosixInputFile> Open(const std::string& path, std::error_code& ec,
                                                Links links);

    std::int64_t Size() const override { return size_; }
    unsigned Mode() const override { return mode_; }
    std::error_code ReadSome(std::int64_t offset, void* buffer, std::size_t size,
                             std::size_t& got) override;

    int fd() const { return fd_.get(); }

  private:
    PosixInputFile(UniqueFd fd, std::int64_t size, unsigned mode)
        : fd_(std::move(fd)), size_(size), mode_(mode) {}

    UniqueFd fd_;
    std::int64_t size_;
    unsigned mode_;
};

} // namespace kernova::posix
