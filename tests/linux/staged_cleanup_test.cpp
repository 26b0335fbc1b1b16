// What the installer stages in shared folders never outlives it: a termination signal
// removes the hidden staged files with the extraction folder, and the next run removes
// what a killed one left, but never a live run's file.
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_process.h"
#include "support/sandbox.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>

namespace kernova::test {
namespace {

namespace fs = std::filesystem;

// A world of its own without /proc, where staged files can only get hidden names; false
// when this system has no user namespaces.
bool HideProc() {
    const std::string id = std::to_string(::geteuid()), group = std::to_string(::getegid());
    const bool own = ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0;
    std::ofstream("/proc/self/setgroups") << "deny";
    std::ofstream("/proc/self/uid_map") << id << " " << id << " 1";
    std::ofstream("/proc/self/gid_map") << group << " " << group << " 1";
    return own && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           ::mount("none", "/proc", "tmpfs", 0, nullptr) == 0;
}

TEST(StagedCleanup, EveryTerminatingSignalRemovesHiddenStagedFilesAndTheFolder) {
    Sandbox sandbox;
    const fs::path extracted = sandbox.tmp() / "kernova-run", fonts = sandbox.fontsDir();
    for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGXCPU,
                       SIGXFSZ, SIGVTALRM, SIGPROF, SIGPIPE}) {
        if (::fork() == 0) {
            if (!HideProc() || !fs::create_directory(extracted)) {
                ::_exit(100);
            }
            auto watch = posix::PosixProcess().RemoveOnTermination(extracted.string());
            std::error_code ec;
            auto staged = posix::PosixFileSystem().Stage(fonts, 0644, ec);
            // Sent once the staged file is there under its hidden name.
            ::raise(FolderNames(fonts).size() == 1 ? signal : SIGKILL);
            ::_exit(101);
        }
        int status = 0;
        ::wait(&status); // the only child
        if (WIFEXITED(status) && WEXITSTATUS(status) == 100) {
            GTEST_SKIP() << "no user namespaces here";
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal) << signal;
        EXPECT_FALSE(fs::exists(extracted)) << signal;
        EXPECT_EQ(FolderNames(fonts), std::vector<std::string>{}) << signal;
    }
}

TEST(StagedCleanup, OnlyStaleUnlockedStagedFilesOfItsOwnNamingAreRemoved) {
    Sandbox sandbox;
    const fs::path folder = sandbox.fontsDir();
    const auto hourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const char* name : {".kernova-a.part", ".kernova-b.part", ".kernova-d.ttf"}) {
        WriteFileBytes(folder / name, "part");
        fs::last_write_time(folder / name, hourAgo);
    }
    WriteFileBytes(folder / ".kernova-c.part", "part"); // just written
    // Locked, as a running installer holds its staged file.
    const int lock = ::open((folder / ".kernova-b.part").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    posix::PosixFileSystem().RemoveStaleStagedFiles(folder.string());
    ::close(lock);
    EXPECT_EQ(FolderNames(folder),
              (std::vector<std::string>{".kernova-b.part", ".kernova-c.part", ".kernova-d.ttf"}));
}

} // namespace
} // namespace kernova::test
