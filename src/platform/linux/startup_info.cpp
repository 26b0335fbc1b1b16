#include "platform/linux/startup_info.h"

#include <filesystem>
#include <system_error>

namespace kernova {

StartupInfo MakeStartupInfo(int argc, const char* const* argv) {
    namespace fs = std::filesystem;
    StartupInfo info;
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    // Without /proc only an absolute name the program was started by is safe: a bare or
    // relative one may have been found through PATH and would lead to a file in the
    // current folder instead.
    if (ec) {
        self.clear();
        if (argc > 0 && argv[0] != nullptr && fs::path(argv[0]).is_absolute()) {
            self = fs::path(argv[0]).lexically_normal();
        }
    }
    info.executablePath = self.string(); // empty: not found
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            info.commandLine += ' ';
        }
        info.commandLine += argv[i];
    }
    return info;
}

} // namespace kernova
