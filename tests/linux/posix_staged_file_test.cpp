// Staged files of the POSIX backend on the real file system: unnamed, or hidden where /proc
// is missing; adopted; and never outliving the installer: a termination signal removes the
// hidden ones with the extraction folder, and the next run removes what a killed one left,
// but never a live run's file.
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
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace kernova::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// Makes this (single-threaded) process a world of its own without /proc, where staged files
// can only get hidden names; false when this system has no user namespaces.
bool HideProc() {
    const std::string id = std::to_string(::geteuid()), group = std::to_string(::getegid());
    const bool own = ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0;
    std::ofstream("/proc/self/setgroups") << "deny";
    std::ofstream("/proc/self/uid_map") << id << " " << id << " 1";
    std::ofstream("/proc/self/gid_map") << group << " " << group << " 1";
    return own && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           ::mount("none", "/proc", "tmpfs", 0, nullptr) == 0;
}

// The wait status of a child that runs `body` and exits with what it returns.
template <typename Body> int ChildStatus(Body body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

// The staged-file promises in the empty folder `folder`: the number of the first that is
// broken, or 0. Plain checks, not test assertions: it also runs in a child process.
int BrokenStagedFilePromise(const fs::path& folder, bool hidden) {
    posix::PosixFileSystem files;
    std::error_code ec;
    const std::string target = (folder / "font.ttf").string();
    const fs::path victim = folder.parent_path() / "victim";
    {
        std::unique_ptr<StagedFile> staged = files.Stage(folder.string(), 0600, ec);
        const Names names = FolderNames(folder);
        if (!staged || staged->Write("abc", 3) ||
            (hidden ? names.size() != 1 || !names[0].starts_with(".kernova-") : !names.empty())) {
            return 1; // nothing under a name an indexer reads
        }
    }
    if (!FolderNames(folder).empty()) {
        return 2; // never committed: gone
    }
    WriteFileBytes(victim, "keep");
    fs::create_symlink(victim, target);
    std::unique_ptr<StagedFile> staged = files.Stage(folder.string(), 0644, ec);
    if (!staged || staged->Write("new", 3) || staged->Flush() ||
        staged->Commit(target, Placement::KeepExisting) != std::errc::file_exists) {
        return 3; // a link under the name counts as taken
    }
    if (staged->Commit(target, Placement::Replace) || fs::is_symlink(target) ||
        ReadFileBytes(target) != "new" || ReadFileBytes(victim) != "keep") {
        return 4; // replaced, not followed
    }
    std::unique_ptr<StagedFile> second = files.Stage(folder.string(), 0644, ec);
    if (second->Write("2", 1) ||
        second->Commit(target, Placement::KeepExisting) != std::errc::file_exists ||
        second->Commit((folder / "other.ttf").string(), Placement::KeepExisting) ||
        ReadFileBytes(target) != "new") {
        return 5; // refused, and still staged for another name
    }
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    std::signal(SIGXFSZ, SIG_IGN);
    bool failed = false;
    {
        std::unique_ptr<StagedFile> big = files.Stage(folder.string(), 0644, ec);
        const std::string data(100000, 'x');
        ::setrlimit(RLIMIT_FSIZE, &small);
        failed = big->Write(data.data(), data.size()) && !big->Commit(target, Placement::Replace);
        ::setrlimit(RLIMIT_FSIZE, &old);
    }
    std::signal(SIGXFSZ, SIG_DFL);
    return !failed || FolderNames(folder) != Names{"font.ttf", "other.ttf"} ? 6 : 0;
}

TEST(PosixStagedFile, UnnamedAndHiddenFilesKeepEveryPromise) {
    Sandbox sandbox;
    fs::create_directory(sandbox.work() / "unnamed");
    EXPECT_EQ(BrokenStagedFilePromise(sandbox.work() / "unnamed", false), 0);
    const int status = ChildStatus(
        [&] { return HideProc() ? BrokenStagedFilePromise(sandbox.tmp(), true) : 100; });
    if (status == W_EXITCODE(100, 0)) {
        GTEST_SKIP() << "no user namespaces here";
    }
    EXPECT_EQ(status, 0);
}

TEST(PosixStagedFile, AdoptsOnlyAnOwnLoneFileOnTheSameFileSystem) {
    Sandbox sandbox;
    posix::PosixFileSystem files;
    const fs::path own = sandbox.tmp() / "own.ttf", fonts = sandbox.fontsDir();
    WriteFileBytes(own, "font");
    fs::permissions(own, fs::perms::owner_read | fs::perms::owner_write);
    std::unique_ptr<StagedFile> adopted = files.Adopt(own.string(), fonts.string());
    ASSERT_TRUE(adopted);
    EXPECT_TRUE(adopted->Write("x", 1)) << "adopted bytes are final";
    ASSERT_FALSE(adopted->Commit((fonts / "Sans.ttf").string(), Placement::KeepExisting));
    EXPECT_TRUE(fs::equivalent(own, fonts / "Sans.ttf"));
    EXPECT_EQ(fs::status(own).permissions(), fs::perms(0644));
    // It has a second name now; a link, a folder and another file system are refused too.
    fs::create_symlink(own, sandbox.tmp() / "link.ttf");
    WriteFileBytes("/dev/shm/kernova-adopt-test", "shm");
    for (const fs::path& path : {own, sandbox.tmp() / "link.ttf", sandbox.tmp(),
                                 fs::path("/dev/shm/kernova-adopt-test")}) {
        EXPECT_FALSE(files.Adopt(path.string(), fonts.string())) << path;
    }
    fs::remove("/dev/shm/kernova-adopt-test");
}

// A child arms the clean-up of a folder of 200 long names (more than one read of it), after
// ignoring SIGHUP when asked and disarming it again when asked; stages a file in the fonts
// folder, under a hidden name where it can hide /proc; and raises `signals` in turn.
int RaisingChild(const Sandbox& sandbox, std::initializer_list<int> signals,
                 bool ignoreHangUp = false, bool disarm = false) {
    return ChildStatus([&] {
        const bool hidden = HideProc();
        ::signal(SIGHUP, ignoreHangUp ? SIG_IGN : SIG_DFL);
        const fs::path extracted = sandbox.tmp() / "kernova-run";
        fs::create_directory(extracted);
        for (int i = 0; i < 200; ++i) {
            WriteFileBytes(extracted / (std::to_string(i) + std::string(100, 'n')), "x");
        }
        auto watch = posix::PosixProcess().RemoveOnTermination(extracted.string());
        if (disarm) {
            watch.reset();
        }
        std::error_code ec;
        auto staged = posix::PosixFileSystem().Stage(sandbox.fontsDir(), 0644, ec);
        if (!staged || FolderNames(sandbox.fontsDir()).size() != (hidden ? 1u : 0u)) {
            return 101;
        }
        for (int signal : signals) {
            ::raise(signal);
        }
        return 102;
    });
}

TEST(StagedCleanup, EveryTerminatingSignalRemovesHiddenStagedFilesAndTheFolder) {
    Sandbox sandbox;
    const fs::path extracted = sandbox.tmp() / "kernova-run";
    WriteFileBytes(sandbox.tmp() / "outside", "stays");
    for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGXCPU,
                       SIGXFSZ, SIGVTALRM, SIGPROF, SIGPIPE}) {
        EXPECT_EQ(RaisingChild(sandbox, {signal}), W_EXITCODE(128 + signal, 0)) << signal;
        EXPECT_FALSE(fs::exists(extracted)) << signal;
        EXPECT_EQ(FolderNames(sandbox.fontsDir()), Names{}) << signal;
    }
    // An ignored hang-up stays ignored: the interrupt that follows ends the child.
    EXPECT_EQ(RaisingChild(sandbox, {SIGHUP, SIGINT}, true), W_EXITCODE(128 + SIGINT, 0));
    // Disarmed, the signal's default is back and the folder stays.
    EXPECT_EQ(RaisingChild(sandbox, {SIGTERM}, false, true), SIGTERM);
    EXPECT_EQ(FolderNames(sandbox.tmp()), (Names{"kernova-run", "outside"}));
    EXPECT_FALSE(fs::is_empty(extracted));
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
    EXPECT_EQ(FolderNames(folder), (Names{".kernova-b.part", ".kernova-c.part", ".kernova-d.ttf"}));
}

} // namespace
} // namespace kernova::test
