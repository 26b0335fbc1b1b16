// The POSIX file backend on the real file system: staged files (unnamed, and hidden where
// /proc is missing), adoption, the kernel copy and the plain operations.
#include "fakes/package_bytes.h"
#include "platform/posix/kernel_copy.h"
#include "platform/posix/posix_file_system.h"
#include "support/sandbox.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kernova::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

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

TEST(PosixStagedFile, UnnamedFilesKeepEveryPromise) {
    Sandbox sandbox;
    EXPECT_EQ(BrokenStagedFilePromise(sandbox.work(), false), 0);
}

TEST(PosixStagedFile, HiddenFilesKeepEveryPromiseWhereThereIsNoProc) {
    Sandbox sandbox;
    const std::string id = std::to_string(::geteuid()), group = std::to_string(::getegid());
    const pid_t child = ::fork();
    if (child == 0) { // a world of its own without /proc: unnamed files cannot be named there
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
            ::_exit(100);
        }
        std::ofstream("/proc/self/setgroups") << "deny";
        std::ofstream("/proc/self/uid_map") << id << " " << id << " 1";
        std::ofstream("/proc/self/gid_map") << group << " " << group << " 1";
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("none", "/proc", "tmpfs", 0, nullptr) != 0) {
            ::_exit(100);
        }
        ::_exit(BrokenStagedFilePromise(sandbox.work(), true));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 100) {
        GTEST_SKIP() << "no user namespaces here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
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

TEST(KernelCopy, FallsBackForAppendOnlyTargetsAndPipesAndRefusesAShortSource) {
    Sandbox sandbox;
    const std::string data = PatternBytes(1 << 20, 4);
    WriteFileBytes(sandbox.work() / "source", data);
    const int in = ::open((sandbox.work() / "source").c_str(), O_RDONLY);
    const fs::path target = sandbox.work() / "target";
    int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600); // no copy_file_range
    EXPECT_FALSE(posix::CopyBytes(in, 1000, out, 500000));
    ::close(out);
    EXPECT_TRUE(ReadFileBytes(target) == data.substr(1000, 500000));
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    EXPECT_FALSE(posix::CopyBytes(in, 5, pipeFds[1], 4000));
    std::string piped(4000, '\0');
    EXPECT_EQ(::read(pipeFds[0], piped.data(), piped.size()), 4000);
    EXPECT_EQ(piped, data.substr(5, 4000));
    out = ::open(target.c_str(), O_WRONLY | O_TRUNC);
    EXPECT_TRUE(posix::CopyBytes(in, std::int64_t(data.size()) - 10, out, 20));
    for (int fd : {in, out, pipeFds[0], pipeFds[1]}) {
        ::close(fd);
    }
}

TEST(PosixFileSystem, OpensOnlyRegularFilesAndNeverFollowsLinksOutOfAFolder) {
    Sandbox sandbox;
    posix::PosixFileSystem posixFiles;
    FileSystem& files = posixFiles;
    const fs::path work = sandbox.work();
    WriteFileBytes(work / "file", "bytes");
    fs::create_symlink(work / "file", work / "link");
    ASSERT_EQ(::mkfifo((work / "fifo").c_str(), 0600), 0);
    std::error_code ec;
    EXPECT_FALSE(files.Open((work / "fifo").string(), ec)); // not waited on
    EXPECT_EQ(ec, std::errc::invalid_argument);
    EXPECT_FALSE(files.Open(work.string(), ec));
    EXPECT_FALSE(files.Open((work / "link").string(), ec, Links::Refuse));
    EXPECT_EQ(files.Open((work / "link").string(), ec)->Size(), 5);
    EXPECT_TRUE(files.SameFile((work / "link").string(), (work / "file").string()));

    const std::string first = files.CreatePrivateFolder(sandbox.tmp().string(), ec);
    EXPECT_NE(files.CreatePrivateFolder(sandbox.tmp().string(), ec), first);
    EXPECT_EQ(fs::status(first).permissions(), fs::perms::owner_all);
    fs::create_directory_symlink(work, first + "/linked");
    EXPECT_FALSE(files.IsFolder(first + "/linked"));
    files.RemoveTree(first);
    EXPECT_FALSE(fs::exists(first));
    EXPECT_EQ(FolderNames(work), (Names{"fifo", "file", "link"}));
    EXPECT_TRUE(files.CreatePrivateFolder((work / "missing").string(), ec).empty() && ec);
}

} // namespace
} // namespace kernova::test
