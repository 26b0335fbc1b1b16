#pragma once

#include "support/sandbox.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kernova::test {

struct ProcessResult {
    int exitCode = -1; // -1 when ended by a signal
    std::string out;
    std::string err;
};

// A child process in `cwd` (empty: this process's folder) with its standard output and
// error captured; killed (SIGKILL) when it runs longer than three minutes.
class ChildProcess {
  public:
    explicit ChildProcess(const std::vector<std::string>& argv,
                          const std::filesystem::path& cwd = {});
    ~ChildProcess(); // kills and reaps a child still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void Signal(int sig);
    // Waits for the end (or the timeout) and returns what the child printed.
    ProcessResult Wait();

  private:
    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    std::chrono::steady_clock::time_point deadline_;
    bool reaped_ = false;
};

// Runs a program to its end.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::filesystem::path& cwd = {});

// The command line that runs `argv` as the ordinary user the tests run as, without a display
// (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM unset) and with the variables `env`.
//
// A test binary started by root drops only its effective user id (test_main.cpp). A
// program it started directly would run in the kernel's secure-execution mode, in which
// the C library removes TMPDIR and similar variables from the environment: an installer
// would then extract into the real /tmp. So such programs go through setpriv, which makes
// the real ids the test user's as well, and env, which sets the variables again after it.
// The sanitizers' options are passed on the same way. The process id stays the program's
// (setpriv and env replace themselves), so it can be signalled.
std::vector<std::string> AsTestUser(const std::vector<std::string>& argv,
                                    const std::map<std::string, std::string>& env);

// What a new `fc-list` process with `env` lists: file -> first full name of every font of
// the configuration. Throws when fc-list fails.
std::map<std::string, std::string> FontsOfNewProcess(const std::map<std::string, std::string>& env);

// Runs kernova-pack with `arguments`; throws with its output when it fails.
void Pack(std::vector<std::string> arguments);

// The command that starts `installer` with `arguments` in the sandbox's world (its HOME,
// XDG_*, TMPDIR, FONTCONFIG_FILE) with `extraEnv` on top, as the test user and without a
// display.
std::vector<std::string> InstallerCommand(const Sandbox& sandbox,
                                          const std::filesystem::path& installer,
                                          std::vector<std::string> arguments,
                                          std::map<std::string, std::string> extraEnv);

} // namespace kernova::test
