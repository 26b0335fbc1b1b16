#include "support/process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace kernova::test {
namespace {

// What a child printed goes to anonymous memory files: no pipe to drain while it runs.
std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::pread(fd, buffer, sizeof buffer, off_t(text.size()))) > 0;) {
        text.append(buffer, std::size_t(n));
    }
    return text;
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& cwd)
    : outFd_(::memfd_create("stdout", MFD_CLOEXEC)), errFd_(::memfd_create("stderr", MFD_CLOEXEC)),
      deadline_(std::chrono::steady_clock::now() + std::chrono::minutes(3)) {
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    pid_ = argv.empty() || outFd_ < 0 || errFd_ < 0 ? -1 : ::fork();
    if (pid_ < 0) {
        throw std::system_error(errno, std::generic_category(), "cannot start " + argv.at(0));
    }
    if (pid_ == 0) {
        ::dup2(outFd_, STDOUT_FILENO);
        ::dup2(errFd_, STDERR_FILENO);
        ::dup2(::open("/dev/null", O_RDONLY), STDIN_FILENO);
        if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) {
            ::_exit(126);
        }
        ::execv(args[0], args.data());
        ::_exit(127);
    }
}

ChildProcess::~ChildProcess() {
    if (!reaped_ && pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ::close(outFd_);
    ::close(errFd_);
}

void ChildProcess::Signal(int sig) {
    if (!reaped_) {
        ::kill(pid_, sig);
    }
}

ProcessResult ChildProcess::Wait() {
    int status = 0;
    for (pid_t done = 0; (done = ::waitpid(pid_, &status, WNOHANG)) != pid_;) {
        if (done < 0 && errno != EINTR) {
            break;
        }
        if (std::chrono::steady_clock::now() > deadline_) {
            ::kill(pid_, SIGKILL);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    reaped_ = true;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(outFd_), ReadAll(errFd_)};
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::filesystem::path& cwd) {
    return ChildProcess(argv, cwd).Wait();
}

std::vector<std::string> AsTestUser(const std::vector<std::string>& argv,
                                    const std::map<std::string, std::string>& env) {
    std::vector<std::string> command;
    if (::getuid() != ::geteuid()) {
        // Changing the groups list needs privileges the test user does not have.
        command = {"/usr/bin/setpriv", "--reuid=" + std::to_string(::geteuid()),
                   "--regid=" + std::to_string(::getegid()), "--keep-groups"};
    }
    command.insert(command.end(), {"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u",
                                   "QT_QPA_PLATFORM"});
    std::map<std::string, std::string> variables = env;
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name); value != nullptr) {
            variables.try_emplace(name, value);
        }
    }
    for (const auto& [name, value] : variables) {
        command.push_back(name + "=" + value);
    }
    command.insert(command.end(), argv.begin(), argv.end());
    return command;
}

std::map<std::string, std::string>
FontsOfNewProcess(const std::map<std::string, std::string>& env) {
    const ProcessResult result =
        RunProcess(AsTestUser({"/usr/bin/fc-list", "--format", "%{file}\t%{fullname[0]}\n"}, env));
    if (result.exitCode != 0) {
        throw std::runtime_error("fc-list failed: " + result.err);
    }
    std::map<std::string, std::string> fonts;
    std::istringstream lines(result.out);
    for (std::string file, name; std::getline(lines, file, '\t') && std::getline(lines, name);) {
        fonts[file] = name;
    }
    return fonts;
}

void Pack(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), KERNOVA_PACK_PATH);
    const ProcessResult result = RunProcess(AsTestUser(arguments, {}));
    if (result.exitCode != 0) {
        throw std::runtime_error("kernova-pack failed: " + result.out + result.err);
    }
}

std::vector<std::string> InstallerCommand(const Sandbox& sandbox,
                                          const std::filesystem::path& installer,
                                          std::vector<std::string> arguments,
                                          std::map<std::string, std::string> extraEnv) {
    extraEnv.merge(sandbox.environment());
    arguments.insert(arguments.begin(), installer.string());
    return AsTestUser(arguments, extraEnv);
}

} // namespace kernova::test
