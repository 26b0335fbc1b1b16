#include "support/installer_process.h"

#include "support/test_user.h"

#include <stdexcept>

namespace kernova::test {

namespace fs = std::filesystem;

void Pack(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {KERNOVA_PACK_PATH};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ProcessResult result = RunProcess(AsTestUser(command, {}));
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

ProcessOptions HeadlessOptions(const Sandbox& sandbox) {
    ProcessOptions options;
    options.env = sandbox.environment();
    options.unsetEnv = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    options.cwd = sandbox.work();
    return options;
}

ProcessResult RunInstaller(const Sandbox& sandbox, const fs::path& installer,
                           const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& extraEnv) {
    ProcessOptions options = HeadlessOptions(sandbox);
    for (const auto& [name, value] : extraEnv) {
        options.env[name] = value;
    }
    return RunProcess(InstallerCommand(sandbox, installer, arguments, extraEnv), options);
}

std::map<std::string, std::string> FolderFiles(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        files[entry.path().filename().string()] = ReadFileBytes(entry.path());
    }
    return files;
}

} // namespace kernova::test
