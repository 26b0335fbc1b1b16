// SIGINT, SIGTERM and SIGHUP remove the armed extraction folder and end the process with
// 128 + the signal. Each case runs in a child process of its own.
#include "platform/linux/termination_cleanup.h"
#include "support/sandbox.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kernova {
namespace {

namespace fs = std::filesystem;

// A child fills `folder` with `files` files, optionally ignores SIGHUP first, arms (or arms
// and disarms) the clean-up and reports that it is ready; it is then sent `signals`, 200 ms
// apart, and its wait status comes back.
int SignalChild(const fs::path& folder, int files, bool ignoreHangUp, bool disarm,
                std::initializer_list<int> signals) {
    int ready[2];
    if (::pipe(ready) != 0) {
        throw std::runtime_error("pipe");
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (ignoreHangUp) {
            ::signal(SIGHUP, SIG_IGN);
        }
        fs::create_directory(folder);
        for (int i = 0; i < files; ++i) {
            // Long names, so the listing takes more than one read of the folder.
            test::WriteFileBytes(folder / (std::to_string(i) + std::string(100, 'n')), "x");
        }
        TerminationCleanup cleanup;
        cleanup.Arm(folder.string() + "/");
        if (disarm) {
            cleanup.Disarm();
        }
        if (::write(ready[1], "r", 1) != 1) {
            ::_exit(90);
        }
        for (;;) {
            ::pause();
        }
    }
    ::close(ready[1]);
    char byte = 0;
    const bool gotReady = ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    for (int signal : signals) {
        ::usleep(gotReady ? 200 * 1000 : 0);
        ::kill(pid, gotReady ? signal : SIGKILL);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

TEST(TerminationCleanupTest, EachSignalRemovesTheFolderAndExitsWith128PlusIt) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        test::Sandbox sandbox;
        const fs::path folder = sandbox.tmp() / "kernova-test";
        const fs::path outside = sandbox.tmp() / "outside.ttf";
        test::WriteFileBytes(outside, "stays");
        const int status = SignalChild(folder, 200, false, false, {signal});
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        EXPECT_FALSE(fs::exists(folder));
        EXPECT_TRUE(fs::exists(outside));
    }
}

TEST(TerminationCleanupTest, DisarmedOrIgnoredLeavesTheFolder) {
    test::Sandbox sandbox;
    const fs::path folder = sandbox.tmp() / "kernova-test";
    int status = SignalChild(folder, 3, false, true, {SIGTERM});
    ASSERT_TRUE(WIFSIGNALED(status)); // the signal's default again
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_FALSE(fs::is_empty(folder));
    fs::remove_all(folder);
    // An ignored hang-up stays ignored: the interrupt that follows ends the child.
    status = SignalChild(folder, 3, true, false, {SIGHUP, SIGINT});
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT);
    EXPECT_FALSE(fs::exists(folder));
}

TEST(TerminationCleanupTest, OnlyOneFolderIsWatchedAtATime) {
    test::Sandbox sandbox;
    TerminationCleanup first;
    first.Arm(sandbox.tmp().string());
    TerminationCleanup second;
    EXPECT_THROW(second.Arm(sandbox.work().string()), std::system_error);
    first.Disarm();
    second.Arm(sandbox.work().string());
    EXPECT_TRUE(second.armed());
    EXPECT_THROW(TerminationCleanup().Arm((sandbox.tmp() / "missing").string()), std::system_error);
}

} // namespace
} // namespace kernova
