#include "archive/extraction.h"

#include "archive/copy_bytes.h"
#include "archive/file_handle.h"
#include "archive/plain_file_name.h"
#include "archive/staged_file.h"

#include <fcntl.h>

namespace kernova {

void ExtractAll(const std::string& file, const ArchiveDirectory& directory,
                const std::string& extractPath, const std::function<void()>& yield) {
    const auto pump = [&yield] {
        if (yield) {
            yield();
        }
    };
    std::string folder = extractPath;
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    // One handle for the whole pass; if the file cannot be opened no entry is written.
    std::error_code ec;
    FileHandle package = FileHandle::Open(file, O_RDONLY, ec);

    // Read order: the entry nearest the trailer first, so of two entries with the same
    // name the one appended earlier is written last and remains.
    for (const ArchiveEntry& entry : directory.entries) {
        pump(); // the notice stays painted: a few times per entry, and during long copies
        if (!IsPlainFileName(entry.name) || folder.empty()) {
            continue;
        }
        const std::string target = folder + entry.name;
        pump();
        DeleteFileQuietly(target);
        pump();
        if (!package.valid() || entry.size < 0) {
            continue;
        }
        // Written under a temporary name and renamed into place: a write that fails
        // (a full disk, a read error) leaves no file, never a partial one.
        StagedFile staged(folder, 0644, ec);
        if (!staged.valid()) {
            continue;
        }
        ec = CopyBytes(package.get(), entry.dataOffset, staged.fd(), entry.size, pump);
        pump();
        if (!ec) {
            staged.Commit(target);
        }
        pump();
        pump();
        pump();
    }
}

} // namespace kernova
