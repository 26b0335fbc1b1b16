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

// A child that fills `folder` with `files` files, optionally ignores SIGHUP first, arms
// (or arms and disarms) the clean-up, reports that it is ready and waits for signals.
class WatchingChild {
  public:
    WatchingChild(const fs::path& folder, int files, bool ignoreHangUp, bool disarm) {
        int ready[2];
        if (::pipe(ready) != 0) {
            throw std::runtime_error("pipe");
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            if (ignoreHangUp) {
                ::signal(SIGHUP, SIG_IGN);
            }
            fs::create_directory(folder);
            for (int i = 0; i < files; ++i) {
                // Long names, so the listing takes more than one read of the folder.
                test::WriteFileBytes(folder / (std::to_string(i) + std::string(100, 'n') + ".ttf"),
                                     "x");
            }
            TerminationCleanup cleanup;
            cleanup.Arm(folder.string() + "/");
            if (disarm) {
                cleanup.Disarm();
            }
            char byte = 'r';
            if (::write(ready[1], &byte, 1) != 1) {
                ::_exit(90);
            }
            for (;;) {
                ::pause();
            }
        }
        ::close(ready[1]);
        char byte = 0;
        if (::read(ready[0], &byte, 1) != 1) {
            ::close(ready[0]);
            throw std::runtime_error("the child did not get ready");
        }
        ::close(ready[0]);
    }
    ~WatchingChild() {
        if (!reaped_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    void Signal(int signal) { ::kill(pid_, signal); }
    bool Running() {
        int status = 0;
        return ::waitpid(pid_, &status, WNOHANG) == 0;
    }
    int Wait() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        reaped_ = true;
        return status;
    }

  private:
    pid_t pid_ = -1;
    bool reaped_ = false;
};

class TerminationSignal : public ::testing::TestWithParam<int> {};

TEST_P(TerminationSignal, RemovesTheFolderAndExitsWith128PlusTheSignal) {
    test::Sandbox sandbox;
    const fs::path folder = sandbox.tmp() / "kernova-test";
    const fs::path outside = sandbox.tmp() / "outside.ttf";
    test::WriteFileBytes(outside, "stays");
    WatchingChild child(folder, 200, false, false);
    ASSERT_TRUE(fs::exists(folder));
    child.Signal(GetParam());
    const int status = child.Wait();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 128 + GetParam());
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_TRUE(fs::exists(outside));
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationSignal, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& info) {
                             return std::string(info.param == SIGINT    ? "Interrupt"
                                                : info.param == SIGTERM ? "Terminate"
                                                                        : "HangUp");
                         });

TEST(TerminationCleanupTest, DisarmedLeavesTheFolderAndTheSignalsDefault) {
    test::Sandbox sandbox;
    const fs::path folder = sandbox.tmp() / "kernova-test";
    WatchingChild child(folder, 3, false, true);
    child.Signal(SIGTERM);
    const int status = child.Wait();
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_EQ(fs::directory_iterator(folder) == fs::directory_iterator(), false);
}

TEST(TerminationCleanupTest, AnIgnoredHangUpStaysIgnored) {
    test::Sandbox sandbox;
    const fs::path folder = sandbox.tmp() / "kernova-test";
    WatchingChild child(folder, 3, true, false);
    child.Signal(SIGHUP);
    ::usleep(200 * 1000);
    EXPECT_TRUE(child.Running());
    EXPECT_TRUE(fs::exists(folder));
    child.Signal(SIGINT);
    const int status = child.Wait();
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
