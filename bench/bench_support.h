#pragma once

// Small pieces every benchmark program uses: elapsed time, the median of rounds, and
// running a reference program (cp, fc-cache, fc-scan) to its end.

#include "platform/linux/linux_font_system.h"
#include "platform/posix/posix_file_system.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace bench {

// The backends the installer itself runs on, for benchmarks of the real system.
inline kernova::posix::PosixFileSystem& Files() {
    static kernova::posix::PosixFileSystem files;
    return files;
}
inline kernova::LinuxFontSystem& Fonts() {
    static kernova::LinuxFontSystem fonts;
    return fonts;
}

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs a program (looked up on PATH) to its end with its standard output in `outFile`;
// returns the seconds it took. Throws when it cannot start or does not exit with 0.
inline double Run(const std::vector<std::string>& argv,
                  const std::filesystem::path& outFile = "/dev/null") {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    const int spawned =
        posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        throw std::runtime_error("failed: " + argv[0]);
    }
    return Seconds(start);
}

} // namespace bench
