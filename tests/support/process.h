#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kernova::test {

struct ProcessResult {
    int exitCode = -1; // -1 when ended by a signal
    int signal = 0;    // the signal that ended it, or 0
    std::string out;
    std::string err;
};

struct ProcessOptions {
    std::map<std::string, std::string> env; // set on top of this process's environment
    std::vector<std::string> unsetEnv;      // removed from the environment (e.g. DISPLAY)
    std::filesystem::path cwd;              // empty: this process's folder
    std::chrono::seconds timeout{180};      // killed (SIGKILL) after this
};

// A child process with its standard output and error captured.
class ChildProcess {
  public:
    ChildProcess(const std::vector<std::string>& argv, const ProcessOptions& options);
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
ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

} // namespace kernova::test
