#pragma once

// The real installer run as a child process in a world of its own: its own HOME, TMPDIR,
// XDG folders and fontconfig configuration, no display, and, when the benchmark runs as
// root, uid 65534, so that it never writes into the machine's shared fonts folder.

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <map>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {

inline constexpr uid_t kNobody = 65534;

inline bool RunningAsRoot() {
    return ::geteuid() == 0;
}

struct ChildRun {
    double seconds = 0; // from the fork to the end of the child
    int status = -1;    // the exit status, 128 + N when ended by signal N
    long peakKiB = 0;   // the child's peak resident memory
    std::string err;    // what it wrote on standard error
};

// Who a child runs as: the unprivileged user when we are root (what is measured), or this
// process's own user (preparing fonts and packages).
enum class As { TestUser, Self };

// Runs a program (a full path) to its end with `env` on top of this environment, without a
// display, in `cwd` when given, as `as` says.
inline ChildRun RunChild(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env,
                         const std::filesystem::path& cwd = {}, As as = As::TestUser) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    ChildRun child;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        ::dup2(pipeFds[1], STDERR_FILENO);
        const int devnull = ::open("/dev/null", O_RDWR);
        ::dup2(devnull, STDIN_FILENO);
        ::dup2(devnull, STDOUT_FILENO);
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            ::unsetenv(name);
        }
        for (const auto& [name, value] : env) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
        if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) {
            ::_exit(126);
        }
        if (as == As::TestUser && RunningAsRoot() &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(125);
        }
        std::vector<char*> args;
        for (const std::string& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
        if (n > 0) {
            child.err.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(pipeFds[0]);
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    child.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    child.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    child.peakKiB = usage.ru_maxrss;
    return child;
}

// Hands a folder tree to the unprivileged user when we are root.
inline void GiveAway(const std::filesystem::path& root) {
    if (!RunningAsRoot()) {
        return;
    }
    (void)::lchown(root.c_str(), kNobody, kNobody);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        (void)::lchown(entry.path().c_str(), kNobody, kNobody);
    }
}

// A private world under `root`: HOME with an empty fonts folder, TMPDIR, the XDG folders
// and a fontconfig configuration that knows only that fonts folder. Made afresh.
struct World {
    std::filesystem::path root;
    std::filesystem::path fonts() const { return root / "home/.local/share/fonts"; }
    std::filesystem::path tmp() const { return root / "tmp"; }

    explicit World(std::filesystem::path where) : root(std::move(where)) {
        std::filesystem::remove_all(root);
        for (const std::filesystem::path& dir :
             {fonts(), tmp(), root / "fc-cache", root / "home/.cache", root / "home/.config",
              root / "run"}) {
            std::filesystem::create_directories(dir);
        }
        std::filesystem::permissions(root / "run", std::filesystem::perms::owner_all);
        std::ofstream conf(root / "fonts.conf");
        conf << "<?xml version=\"1.0\"?>\n<fontconfig>\n  <dir>" << fonts().string()
             << "</dir>\n  <cachedir>" << (root / "fc-cache").string()
             << "</cachedir>\n</fontconfig>\n";
        conf.close();
        GiveAway(root);
    }

    std::map<std::string, std::string> Environment() const {
        return {{"HOME", (root / "home").string()},
                {"TMPDIR", tmp().string()},
                {"XDG_DATA_HOME", (root / "home/.local/share").string()},
                {"XDG_CACHE_HOME", (root / "home/.cache").string()},
                {"XDG_CONFIG_HOME", (root / "home/.config").string()},
                {"XDG_RUNTIME_DIR", (root / "run").string()},
                {"FONTCONFIG_FILE", (root / "fonts.conf").string()}};
    }
};

} // namespace bench
