// An installer stopped from outside while it writes a font: killed outright, it leaves no
// half-written font where fontconfig looks; told to stop (SIGTERM), it also removes what it
// extracted and every staged file.
#include "support/process.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A folder of the test's own in shared memory, another file system than the build tree.
struct SharedMemoryFolder {
    std::string path = "/dev/shm/kernova-e2e-XXXXXX";
    bool made = ::mkdtemp(path.data()) != nullptr;
    ~SharedMemoryFolder() {
        std::error_code ec;
        fs::remove_all(made ? path : "", ec);
    }
};

// The temporary folder is on another file system than the fonts folder, so the extracted
// font is copied, and the signal comes while that copy is being written.
TEST(InterruptedInstallE2eTest, LeavesNoPartialFontKilledNorAnythingElseTerminated) {
    SharedMemoryFolder temp;
    if (!temp.made) {
        GTEST_SKIP() << "no /dev/shm";
    }
    test::Sandbox vendor;
    // A real font with junk after its tables: fonts are read through their table directory,
    // so it stays a usable font, and copying it takes long enough to be interrupted.
    const fs::path font = vendor.work() / "KernovaLargeSans-Regular.ttf";
    std::string fontBytes = test::ReadFileBytes(test::TestFont("KernovaSampleSans-Regular.ttf"));
    fontBytes.append(160u << 20, '\0');
    test::WriteFileBytes(font, fontBytes);
    const fs::path installer = vendor.work() / "KernovaLarge.run";
    test::Pack({"-o", installer.string(), font.string()});
    fs::remove(font);
    for (const int signal : {SIGTERM, SIGKILL}) { // a killed run leaves its extraction
        SCOPED_TRACE(signal);
        test::Sandbox sandbox;
        test::ChildProcess child(
            test::InstallerCommand(sandbox, installer, {"/I"}, {{"TMPDIR", temp.path}}));
        for (auto deadline = std::chrono::steady_clock::now() + 120s;
             fs::is_empty(sandbox.fontsDir());) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline)
                << "never got to the font (its staged file)";
            std::this_thread::sleep_for(1ms);
        }

        child.Signal(signal);
        const test::ProcessResult result = child.Wait();

        EXPECT_EQ(result.exitCode, signal == SIGKILL ? -1 : 128 + signal) << result.err;
        for (const auto& entry : fs::directory_iterator(sandbox.fontsDir())) {
            const std::string name = entry.path().filename().string();
            // Only a killed run may leave its staged file, hidden and not named like a font.
            if (signal != SIGKILL || name.front() != '.' || name.ends_with(".ttf")) {
                EXPECT_TRUE(test::ReadFileBytes(entry.path()) == fontBytes) << name;
            }
        }
        for (const auto& [file, name] : test::FontsOfNewProcess(sandbox.environment())) {
            EXPECT_EQ(fs::file_size(file), fontBytes.size()) << file;
        }
        if (signal == SIGTERM) {
            EXPECT_EQ(test::FolderNames(temp.path), std::vector<std::string>{});
        }
    }
}

} // namespace
} // namespace kernova
