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
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <thread>
#include <utility>
#include <vector>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A real font with junk after its tables: fonts are read through their table directory,
// so it stays a usable font, and copying it takes long enough to be interrupted.
constexpr std::size_t kPadding = 160u << 20;
constexpr const char* kLargeFont = "KernovaLargeSans-Regular.ttf";

// The process's open files: path -> opened for reading only.
std::vector<std::pair<std::string, bool>> OpenFiles(pid_t pid) {
    std::vector<std::pair<std::string, bool>> files;
    const fs::path proc = "/proc/" + std::to_string(pid);
    std::error_code ec;
    for (auto it = fs::directory_iterator(proc / "fd", ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        std::error_code linkError;
        const std::string target = fs::read_symlink(it->path(), linkError).string();
        if (linkError) {
            continue;
        }
        std::ifstream info(proc / "fdinfo" / it->path().filename());
        std::string key;
        unsigned long flags = 0;
        while (info >> key) {
            if (key == "flags:") {
                info >> std::oct >> flags;
                break;
            }
        }
        files.emplace_back(target, (flags & O_ACCMODE) == O_RDONLY);
    }
    return files;
}

// True once the process has a file open below `folder` (a font being written there).
bool HasFileOpenBelow(pid_t pid, const fs::path& folder) {
    const std::string prefix = folder.string() + "/";
    for (const auto& [path, readOnly] : OpenFiles(pid)) {
        if (path.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

// True once the process reads the extracted font: extraction is over, the run has begun.
bool ReadsExtractedFont(pid_t pid, const fs::path& temp) {
    const std::string prefix = temp.string() + "/";
    const std::string suffix = std::string("/") + kLargeFont;
    for (const auto& [path, readOnly] : OpenFiles(pid)) {
        if (readOnly && path.rfind(prefix, 0) == 0 && path.size() > suffix.size() &&
            path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0) {
            return true;
        }
    }
    return false;
}

// True once a file below `folder` holds more than a few bytes.
bool HasGrowingFileBelow(const fs::path& folder) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        std::error_code sizeError;
        if (it->is_regular_file(sizeError) && it->file_size(sizeError) > (1u << 20)) {
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

enum class Moment { Extracting, Delivering };

struct Interruption {
    const char* name;
    int signal;
    Moment moment;
    // The temporary folder on another file system than the fonts folder: the extracted
    // font is copied there, rather than becoming the installed font itself.
    bool tempElsewhere;
};

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

class InterruptedInstallE2eTest : public ::testing::TestWithParam<Interruption> {
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

TEST_P(InterruptedInstallE2eTest, LeavesNoPartialFont) {
    const Interruption& interruption = GetParam();
    SharedMemoryFolder elsewhere;
    fs::path temp = sandbox.tmp();
    std::map<std::string, std::string> env;
    if (interruption.tempElsewhere) {
        if (elsewhere.path.empty()) {
            GTEST_SKIP() << "no /dev/shm";
        }
        temp = elsewhere.path;
        env["TMPDIR"] = temp.string();
    }
    test::ProcessOptions options = test::HeadlessOptions(sandbox);
    for (const auto& [name, value] : env) {
        options.env[name] = value;
    }
    test::ChildProcess child(test::InstallerCommand(sandbox, installer, {"/I"}, env), options);
    if (interruption.moment == Moment::Delivering) {
        // A copy being written into the fonts folder, or the extracted font being named.
        ASSERT_TRUE(WaitFor(
            [&] {
                return interruption.tempElsewhere
                           ? HasFileOpenBelow(child.pid(), sandbox.fontsDir())
                           : ReadsExtractedFont(child.pid(), temp);
            },
            120s))
            << "the installer never got to the font";
    } else {
        ASSERT_TRUE(WaitFor([&] { return HasGrowingFileBelow(temp); }, 120s))
            << "the installer never extracted";
    }

    child.Signal(interruption.signal);
    test::ProcessResult result = child.Wait();

    if (interruption.signal == SIGKILL) {
        EXPECT_EQ(result.signal, SIGKILL);
    } else {
        // Told to stop: it removes its extraction and ends with 128 + the signal.
        EXPECT_EQ(result.exitCode, 128 + interruption.signal) << result.err;
        EXPECT_EQ(test::FolderContents(temp), std::vector<std::string>{});
    }
    ExpectNoPartialFont();
}

INSTANTIATE_TEST_SUITE_P(
    Signals, InterruptedInstallE2eTest,
    ::testing::Values(
        Interruption{"KilledWhileDelivering", SIGKILL, Moment::Delivering, false},
        Interruption{"KilledWhileCopyingFromAnotherFileSystem", SIGKILL, Moment::Delivering, true},
        Interruption{"TerminatedWhileCopyingFromAnotherFileSystem", SIGTERM, Moment::Delivering,
                     true},
        Interruption{"TerminatedWhileDelivering", SIGTERM, Moment::Delivering, false},
        Interruption{"TerminatedWhileExtracting", SIGTERM, Moment::Extracting, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kernova
