// kernova-pack stopped while it writes: the status of the signal, and the output folder as
// it was (an older installer there stays untouched, nothing staged is left).
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

// The work folder with the sample font and "out" holding an older installer.
void Prepare(const test::Sandbox& sandbox) {
    fs::create_directories(sandbox.work() / "out");
    test::WriteFileBytes(sandbox.work() / "out/setup", kOlder.at("setup"));
    fs::copy_file(test::TestFont(kSans), sandbox.work() / kSans);
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
