// kernova-pack given an input the installer would misuse, or an output folder it cannot
// write, or stopped while it writes: a message naming the cause, a failing status, and the
// output folder as it was (an older installer there stays untouched).
#include "support/process.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kSans = "KernovaSampleSans-Regular.ttf";
const test::TreeSnapshot kOlder = {{"setup", "an older installer"}};

struct Refusal {
    const char* output;
    std::vector<std::string> arguments;
    const char* cause;
};

const Refusal kRefusals[] = {
    {"out/setup", {"LEFT.ttf"}, "LEFT.ttf\" would be taken for the side picture"},
    {"out/setup", {"top.TTF"}, "top.TTF\" would be taken for the header picture"},
    {"out/setup", {".Hidden.ttf"}, "fontconfig skips hidden files"},
    {"out/setup", {"Back\\slash.ttf"}, "Back\\\\slash.ttf\" cannot be stored as a plain file name"},
    {"out/setup", {"pipe.ttf"}, "cannot read pipe.ttf: not a regular file"},
    {"out/setup", {"--readme", "/dev/zero", kSans}, "cannot read /dev/zero: not a regular file"},
    {"out/setup", {"--stub", "pipe.ttf", kSans}, "cannot read the stub pipe.ttf: not a regular"},
    {"locked/setup", {kSans}, "cannot create locked/setup: Permission denied"},
};

// The work folder with the sample font, also under names the packer must refuse, and "out"
// holding an older installer. (A packer left waiting on a pipe is killed by the process
// runner's time limit, failing the case.)
void Prepare(const test::Sandbox& sandbox) {
    fs::create_directories(sandbox.work() / "out");
    test::WriteFileBytes(sandbox.work() / "out/setup", kOlder.at("setup"));
    for (const char* name : {kSans, "LEFT.ttf", "top.TTF", ".Hidden.ttf", "Back\\slash.ttf"}) {
        fs::copy_file(test::TestFont(kSans), sandbox.work() / name);
    }
}

// Whether a process has a file open in `folder`: the packer's staged output, named or not.
bool FileOpenIn(const fs::path& folder) {
    std::error_code ec;
    for (fs::directory_iterator p("/proc", ec), end; !ec && p != end; p.increment(ec)) {
        for (fs::directory_iterator fd(p->path() / "fd", ec); !ec && fd != end; fd.increment(ec)) {
            if (fs::read_symlink(fd->path(), ec).parent_path() == folder) {
                return true;
            }
        }
        ec.clear();
    }
    return false;
}

TEST(PackFaultsTest, RefusesWhatTheInstallerWouldMisuseAndNeverWaitsOnAPipe) {
    test::Sandbox sandbox;
    Prepare(sandbox);
    ASSERT_EQ(::mkfifo((sandbox.work() / "pipe.ttf").c_str(), 0600), 0);
    fs::create_directories(sandbox.work() / "locked");
    fs::permissions(sandbox.work() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    for (const Refusal& refusal : kRefusals) {
        SCOPED_TRACE(refusal.cause);
        std::vector<std::string> arguments = {KERNOVA_PACK_PATH, "-o", refusal.output};
        arguments.insert(arguments.end(), refusal.arguments.begin(), refusal.arguments.end());
        const test::ProcessResult result =
            test::RunProcess(test::AsTestUser(arguments, sandbox.environment()), sandbox.work());
        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_NE(result.err.find(refusal.cause), std::string::npos) << result.err;
        EXPECT_TRUE(test::Snapshot(sandbox.work() / "out") == kOlder) << "wrote a file";
    }
}

// A side picture large enough that copying it takes a while (the packer does not look into
// pictures): signalled as soon as the staged output is open, the packer is still writing.
TEST(PackFaultsTest, StoppedWhileWritingLeavesNothingInTheOutputFolder) {
    test::Sandbox sandbox;
    Prepare(sandbox);
    test::WriteFileBytes(sandbox.work() / "side.jpg", "");
    fs::resize_file(sandbox.work() / "side.jpg", std::uintmax_t{1} << 30); // sparse: quick
    const fs::path out = fs::canonical(sandbox.work() / "out");
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) {
        test::ChildProcess child(
            test::AsTestUser({KERNOVA_PACK_PATH, "-o", "out/setup", "--side", "side.jpg", kSans},
                             sandbox.environment()),
            sandbox.work());
        for (auto deadline = std::chrono::steady_clock::now() + 120s; !FileOpenIn(out);) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "never began the output";
            std::this_thread::sleep_for(1ms);
        }
        child.Signal(signal);
        const test::ProcessResult result = child.Wait();
        EXPECT_EQ(result.exitCode, 128 + signal) << result.err;
        EXPECT_TRUE(test::Snapshot(out) == kOlder) << "left or replaced a file";
    }
}

} // namespace
} // namespace kernova
