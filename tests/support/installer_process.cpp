#include "support/installer_process.h"

#include <stdexcept>

namespace kernova::test {

namespace fs = std::filesystem;

void Pack(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {KERNOVA_PACK_PATH};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const ProcessResult result = RunProcess(AsTestUser(command, {}));
    if (result.exitCode != 0) {
        throw std::runtime_error("kernova-pack failed: " + result.out + result.err);
    }
}

std::vector<std::string> InstallerCommand(const Sandbox& sandbox, const fs::path& installer,
                                          const std::vector<std::string>& arguments,
                                          const std::map<std::string, std::string>& extraEnv) {
    std::map<std::string, std::string> env = sandbox.environment();
    for (const auto& [name, value] : extraEnv) {
        env[name] = value;
    }
    std::vector<std::string> argv = {installer.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return AsTestUser(argv, env);
}

ProcessResult RunInstaller(const Sandbox& sandbox, const fs::path& installer,
                           const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& extraEnv) {
    return RunProcess(InstallerCommand(sandbox, installer, arguments, extraEnv), sandbox.work());
}

} // namespace kernova::test
