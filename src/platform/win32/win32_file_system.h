#pragma once

#include "platform/file_system.h"

namespace kernova::win32 {

// The run's file operations on Windows: wide-character calls throughout, staged files that
// the system deletes unless committed, a private folder only its owner may enter, and a
// named mutex per folder for runs that must take turns.
class Win32FileSystem : public FileSystem {
  public:
    std::unique_ptr<InputFile> Open(const std::string& path, std::error_code& ec,
                                    Links links = Links::Follow) override;
    std::unique_ptr<StagedFile> Stage(const std::string& folder, unsigned mode,
                                      std::error_code& ec) override;
    // Never: a file of the run's own is copied (Windows names a file once it is closed, and
    // the run still reads its extracted files afterwards).
    std::unique_ptr<StagedFile> Adopt(const std::string& path, const std::string& folder) override;
    std::error_code Remove(const std::string& path) override;
    bool IsFolder(const std::string& path) override;
    bool SameFile(const std::string& a, const std::string& b) override;
    std::string CreatePrivateFolder(const std::string& parent, std::error_code& ec) override;
    void RemoveTree(const std::string& path) noexcept override;
    void RemoveStaleStagedFiles(const std::string& folder) noexcept override;
    std::unique_ptr<FolderLock> LockFolder(const std::string& folder) override;
};

} // namespace kernova::win32
