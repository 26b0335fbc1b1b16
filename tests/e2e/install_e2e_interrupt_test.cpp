// An installer stopped from outside in the middle of its work: killed outright, no font
// is left half-written where fontconfig looks; told to stop (SIGTERM), it also removes
// what it extracted.
#include "support/font_listing.h"
#include "support/installer_process.h"
#include "support/sandbox.h"
#include "support/wizard_package.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <thread>
#include <vector>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A real font with junk after its tables: fonts are read through their table directory,
// so it stays a usable font, and copying it takes long enough to be interrupted.
constexpr std::size_t kPadding = 160u << 20;
constexpr const char* kLargeFont = "KernovaLargeSans-Regular.ttf";

// True once the process has a file open below `folder` (a font being written there).
bool HasFileOpenBelow(pid_t pid, const fs::path& folder) {
    const std::string prefix = folder.string() + "/";
    std::error_code ec;
    for (auto it = fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec);
         !ec && it != fs::end(it); it.increment(ec)) {
        std::error_code linkError;
        if (fs::read_symlink(it->path(), linkError).string().rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

bool EndsWithTtf(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name.size() >= 4 && name.compare(name.size() - 4, 4, ".ttf") == 0;
}

// A folder of the test's own in shared memory, another file system than the build tree.
class SharedMemoryFolder {
  public:
    SharedMemoryFolder() {
        std::string pattern = "/dev/shm/kernova-e2e-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) {
            path = pattern;
        }
    }
    ~SharedMemoryFolder() {
        std::error_code ec;
        if (!path.empty()) {
            fs::remove_all(path, ec);
        }
    }
    SharedMemoryFolder(const SharedMemoryFolder&) = delete;
    SharedMemoryFolder& operator=(const SharedMemoryFolder&) = delete;
    fs::path path;
};

class InterruptedInstallE2eTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        const fs::path font = sandbox.work() / kLargeFont;
        fontBytes = test::ReadFileBytes(test::TestFont("KernovaSampleSans-Regular.ttf"));
        fontBytes.append(kPadding, '\0');
        test::WriteFileBytes(font, fontBytes);
        test::Pack({"-o", installer.string(), "--title", "Kernova Large", font.string()});
        fs::remove(font);
    }

    // Every font file where fontconfig looks is complete; only a hidden file that is not
    // named like a font may be left over.
    void ExpectNoPartialFont() {
        for (const auto& entry : fs::directory_iterator(sandbox.fontsDir())) {
            const std::string name = entry.path().filename().string();
            if (name.front() == '.') {
                EXPECT_FALSE(EndsWithTtf(name)) << name;
                continue;
            }
            EXPECT_EQ(fs::file_size(entry.path()), fontBytes.size()) << name;
            EXPECT_TRUE(test::ReadFileBytes(entry.path()) == fontBytes) << name;
        }
        for (const test::ListedFont& listed : test::ListFontsInNewProcess(sandbox.environment())) {
            EXPECT_EQ(fs::file_size(listed.file), fontBytes.size()) << listed.file;
        }
    }

    test::Sandbox sandbox;
    fs::path installer = sandbox.work() / "KernovaLarge.run";
    std::string fontBytes;
};

// The temporary folder is on another file system than the fonts folder, so the extracted
// font is copied, and the signal comes while that copy is being written.
TEST_P(InterruptedInstallE2eTest, LeavesNoPartialFont) {
    const int signal = GetParam();
    SharedMemoryFolder temp;
    if (temp.path.empty()) {
        GTEST_SKIP() << "no /dev/shm";
    }
    const std::map<std::string, std::string> env = {{"TMPDIR", temp.path.string()}};
    test::ProcessOptions options = test::HeadlessOptions(sandbox);
    options.env["TMPDIR"] = temp.path.string();
    test::ChildProcess child(test::InstallerCommand(sandbox, installer, {"/I"}, env), options);
    ASSERT_TRUE(WaitFor([&] { return HasFileOpenBelow(child.pid(), sandbox.fontsDir()); }, 120s))
        << "the installer never got to the font";

    child.Signal(signal);
    test::ProcessResult result = child.Wait();

    if (signal == SIGKILL) {
        EXPECT_EQ(result.signal, SIGKILL);
    } else {
        // Told to stop: it removes its extraction and ends with 128 + the signal.
        EXPECT_EQ(result.exitCode, 128 + signal) << result.err;
        EXPECT_EQ(test::FolderContents(temp.path), std::vector<std::string>{});
    }
    ExpectNoPartialFont();
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedInstallE2eTest, ::testing::Values(SIGKILL, SIGTERM),
                         [](const auto& info) {
                             return std::string(info.param == SIGKILL ? "Killed" : "Terminated");
                         });

} // namespace
} // namespace kernova
