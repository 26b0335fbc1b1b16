#pragma once

#include "platform/file_system.h"
#include "platform/win32/unique_handle.h"

#include <memory>
#include <string>

namespace kernova::win32 {

// A new file written under a hidden name of its own in the target folder, marked to be
// deleted when it is closed: however the run ends before the commit (a failure, a console
// event, the process killed), the system removes it. Commit clears the mark, flushes the
// name change through to the disk (MOVEFILE_WRITE_THROUGH) and never writes through a link:
// a link under the target name is replaced, never followed.
class Win32StagedFile : public StagedFile {
  public:
    static std::unique_ptr<Win32StagedFile> Create(const std::string& folder, std::error_code& ec);
    ~Win32StagedFile() override;

    std::error_code Write(const void* data, std::size_t size) override;
    std::error_code CopyFrom(InputFile& from, std::int64_t offset, std::int64_t length,
                             const std::function<void()>& between = {}) override;
    // Windows keeps no permission bits: readable by every user through the folder's own
    // inherited rights.
    std::error_code SetMode(unsigned mode) override;
    std::error_code Flush() override;
    std::error_code Commit(const std::string& target, Placement placement) override;

  private:
    Win32StagedFile(UniqueHandle file, std::wstring path);

    UniqueHandle file_;
    std::wstring path_; // the hidden name, until committed
    bool committed_ = false;
};

// The hidden name a staged file gets in `folder` (the pattern stale files are found by).
std::wstring StagedFileName(const std::wstring& folder);
inline constexpr const wchar_t* kStagedFilePattern = L".kernova-*.part";

// Random letters from the system's generator, for names nobody can guess.
std::wstring RandomName(std::size_t letters);

} // namespace kernova::win32
