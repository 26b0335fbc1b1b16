#include "archive/extraction.h"

#include "archive/copy_bytes.h"
#include "archive/file_handle.h"
#include "archive/plain_file_name.h"
#include "archive/staged_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kernova {
namespace {

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

// Copies one file through a temporary name in the target folder; false when it failed
// (and then nothing new is left there).
bool CopyFile(const std::string& from, const std::string& toFolder, const std::string& to) {
    std::error_code ec;
    FileHandle source = FileHandle::Open(from, O_RDONLY, ec);
    struct stat info {};
    if (!source.valid() || ::fstat(source.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    StagedFile staged(toFolder, 0644, ec);
    if (!staged.valid() || CopyBytes(source.get(), 0, staged.fd(), info.st_size)) {
        return false;
    }
    return !staged.Commit(to);
}

} // namespace

void DeleteFileQuietly(const std::string& path) {
    ::unlink(path.c_str());
}

void ExtractFonts(const std::vector<std::string>& names, const std::string& extractPath,
                  const std::string& appPath) {
    const std::string from = WithSeparator(extractPath);
    const std::string to = WithSeparator(appPath);
    if (from.empty() || to.empty()) {
        return; // never relative to whatever the current folder is
    }
    for (const std::string& name : names) {
        if (IsPlainFileName(name)) {
            CopyFile(from + name, to, to + name); // a copy that fails is skipped
        }
    }
}

void KillFiles(const std::vector<std::string>& names, const std::string& extractPath) {
    const std::string folder = WithSeparator(extractPath);
    if (folder.empty()) {
        return;
    }
    for (const std::string& name : names) {
        if (IsPlainFileName(name)) {
            DeleteFileQuietly(folder + name); // exactly that one file; failures are skipped
        }
    }
}

} // namespace kernova
