#pragma once

#include "platform/file_system.h"

namespace kernova::posix {

// The run's file operations on a POSIX system.
class PosixFileSystem : public FileSystem {
  public:
    std::unique_ptr<InputFile> Open(const std::string& path, std::error_code& ec,
                                    Links links) override;
    std::unique_ptr<StagedFile> Stage(const std::string& folder, unsigned mode,
                                      std::error_code& ec) override;
    std::unique_ptr<StagedFile> Adopt(const std::string& path, const std::string& folder) override;
    std::error_code FlushFileSystem(const std::string& folder) override;
    std::error_code Remove(const std::string& path) override;
    bool IsFolder(const std::string& path) override;
    bool SameFile(const std::string& a, const std::string& b) override;
    std::string CreatePrivateFolder(const std::string& parent, std::error_code& ec) override;
    void RemoveTree(const std::string& path) noexcept override;
    void RemoveStaleStagedFiles(const std::string& folder) noexcept override;
    std::unique_ptr<FolderLock> LockFolder(const std::string& folder) override;
};

} // namespace kernova::posix
