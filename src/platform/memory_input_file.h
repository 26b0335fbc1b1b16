#pragma once

#include "platform/file_system.h"

#include <algorithm>
#include <cstring>

namespace kernova {

// Bytes already in memory, read as a file (they must outlive it).
class MemoryInputFile : public InputFile {
  public:
    MemoryInputFile(const void* bytes, std::size_t size)
        : bytes_(static_cast<const unsigned char*>(bytes)), size_(size) {}
    std::int64_t Size() const override { return static_cast<std::int64_t>(size_); }
    unsigned Mode() const override { return 0644; }
    std::error_code ReadSome(std::int64_t offset, void* buffer, std::size_t size,
                             std::size_t& got) override {
        const auto at = static_cast<std::size_t>(std::max<std::int64_t>(offset, 0));
        got = offset < 0 || at >= size_ ? 0 : std::min(size, size_ - at);
        if (got > 0) {
            std::memcpy(buffer, bytes_ + at, got);
        }
        return {};
    }

  private:
    const unsigned char* bytes_;
    std::size_t size_;
};

} // namespace kernova
