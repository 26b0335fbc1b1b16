#include "support/process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
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

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    if (argv.empty()) {
        throw std::invalid_argument("no program to run");
    }
    outFd_ = ::memfd_create("stdout", MFD_CLOEXEC);
    errFd_ = ::memfd_create("stderr", MFD_CLOEXEC);
    deadline_ = std::chrono::steady_clock::now() + options.timeout;
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ < 0 || outFd_ < 0 || errFd_ < 0) {
        throw std::system_error(errno, std::generic_category(), "fork");
    }
    if (pid_ == 0) {
        ::dup2(outFd_, STDOUT_FILENO);
        ::dup2(errFd_, STDERR_FILENO);
        ::dup2(::open("/dev/null", O_RDONLY), STDIN_FILENO);
        for (const std::string& name : options.unsetEnv) {
            ::unsetenv(name.c_str());
        }
        for (const auto& [name, value] : options.env) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
        if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) {
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
    ProcessResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                         WIFSIGNALED(status) ? WTERMSIG(status) : 0, ReadAll(outFd_),
                         ReadAll(errFd_)};
    return result;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    return ChildProcess(argv, options).Wait();
}

} // namespace kernova::test
