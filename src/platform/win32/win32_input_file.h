#pragma once

#include "platform/file_system.h"
#include "platform/win32/unique_handle.h"

#include <memory>
#include <string>

namespace kernova::win32 {

// A regular file open for reading, shared with readers, writers and deleters (an open file
// never stops the run from removing its own files).
class Win32InputFile : public InputFile {
  public:
    // Fails with invalid_argument for anything but a regular file (a folder, a device, a
    // pipe) and, with Links::Refuse, for a link or any other reparse point under the name.
    static std::unique_ptr<Win32InputFile> Open(const std::string& path, std::error_code& ec,
                                                Links links);

    std::int64_t Size() const override { return size_; }
    unsigned Mode() const override { return 0644; }
    std::error_code ReadSome(std::int64_t offset, void* buffer, std::size_t size,
                             std::size_t& got) override;

    HANDLE handle() const { return file_.get(); }

  private:
    Win32InputFile(UniqueHandle file, std::int64_t size) : file_(std::move(file)), size_(size) {}

    UniqueHandle file_;
    std::int64_t size_;
};

} // namespace kernova::win32
