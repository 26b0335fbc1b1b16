#include "platform/posix/posix_process.h"

#include "platform/posix/termination_cleanup.h"

#include <cstdlib>

namespace kernova::posix {

std::string PosixProcess::GetTempFolder() {
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir != nullptr && *tmpdir != '\0') {
        return tmpdir;
    }
    return "/tmp";
}

std::unique_ptr<TerminationWatch> PosixProcess::RemoveOnTermination(const std::string& folder) {
    auto cleanup = std::make_unique<TerminationCleanup>();
    cleanup->Arm(folder);
    return cleanup;
}

} // namespace kernova::posix
