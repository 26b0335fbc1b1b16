#include "archive/extraction.h"

#include "archive/plain_file_name.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace kernova {

void KillFiles(FileSystem& files, const std::vector<std::string>& names,
               const std::string& extractPath) {
    if (extractPath.empty()) {
        return;
    }
    for (const std::string& name : names) {
        if (IsPlainFileName(name)) {
            (void)files.Remove(JoinPath(extractPath, name)); // that one file; failures skipped
        }
    }
}

} // namespace kernova
