#include "platform/linux/startup_info.h"

#include <filesystem>
#include <system_error>

namespace kernova {

StartupInfo MakeStartupInfo(int argc, const char* const* argv) {
    namespace fs = std::filesystem;
    StartupInfo info;
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec && argc > 0 && argv[0] != nullptr) {
        self = fs::absolute(argv[0], ec);
    }
    info.executablePath = self.string();
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            info.commandLine += ' ';
        }
        info.commandLine += argv[i];
    }
    return info;
}

} // namespace kernova
