// An installer stopped by a signal while it extracts or installs a large font. A signal that
// ends a process makes it remove what it extracted and every staged file and exit with 128
// plus the signal; killed outright, it leaves no half-written font under a font's name; a
// closed standard error (SIGPIPE) does not stop it. Under a strict file-creation mask it
// still gives every user readable fonts, folders and files.
#include "support/process.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// How many files and folders are below `folder`, at any depth (none when it is missing).
std::size_t CountBelow(const fs::path& folder) {
    std::size_t count = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        ++count;
    }
    return count;
}

// A folder of the test's own in shared memory, another file system than the fonts folder:
// the extracted font is copied from there, not adopted.
struct SharedMemoryFolder {
    std::string path = "/dev/shm/kernova-e2e-XXXXXX";
    bool made = ::mkdtemp(path.data()) != nullptr;
    ~SharedMemoryFolder() {
        std::error_code ec;
        fs::remove_all(made ? path : "", ec);
    }
};

struct Row {
    int signal;
    // Sent once the run has got this far: 2 while the font is extracted (the private folder
    // and the descriptor), 3 once it is extracted, 4 once the fonts folder is made and the
    // font is on its way there (its staged file may have no name to see).
    std::size_t names;
    bool sharedMemoryTemp = false;
};

const Row kRows[] = {{SIGINT, 2},  {SIGTERM, 3}, {SIGQUIT, 2},       {SIGUSR1, 3},
                     {SIGALRM, 2}, {SIGPIPE, 2}, {SIGTERM, 4, true}, {SIGKILL, 4, true}};

TEST(InstallSignalsE2eTest, EachSignalEndsTheRunLeavingNoPartialFontNorAnythingExtracted) {
    test::Sandbox vendor;
    // A real font with junk after its tables: fonts are read through their table directory,
    // so it stays a usable font, and writing it takes long enough to be interrupted.
    const fs::path font = vendor.work() / "KernovaLargeSans-Regular.ttf";
    std::string fontBytes = test::ReadFileBytes(test::TestFont("KernovaSampleSans-Regular.ttf"));
    fontBytes.append(96u << 20, '\0');
    test::WriteFileBytes(font, fontBytes);
    const fs::path installer = vendor.work() / "KernovaLarge.run";
    test::Pack({"-o", installer.string(), "--title", "Large", font.string()});
    const mode_t umask = ::umask(077);
    for (const auto& [signal, names, sharedMemoryTemp] : kRows) {
        SCOPED_TRACE(testing::Message() << signal << (sharedMemoryTemp ? " /dev/shm" : ""));
        SharedMemoryFolder shm;
        if (sharedMemoryTemp && !shm.made) {
            continue; // no /dev/shm
        }
        test::Sandbox sandbox;
        const fs::path temp = sharedMemoryTemp ? fs::path(shm.path) : sandbox.tmp();
        fs::remove(sandbox.fontsDir()); // made by the run
        test::ChildProcess child(
            test::InstallerCommand(sandbox, installer, {"/I"}, {{"TMPDIR", temp.string()}}));
        for (auto deadline = std::chrono::steady_clock::now() + 120s;
             CountBelow(temp) + (fs::exists(sandbox.fontsDir()) ? 1 : 0) < names;) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "never got there";
            std::this_thread::sleep_for(1ms);
        }

        child.Signal(signal);
        const test::ProcessResult result = child.Wait();

        EXPECT_EQ(result.exitCode, signal == SIGKILL ? -1 : (signal == SIGPIPE ? 0 : 128 + signal))
            << result.err;
        if (signal != SIGKILL) { // a killed run leaves its extraction
            EXPECT_EQ(test::FolderNames(temp), std::vector<std::string>{});
        }
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(sandbox.fontsDir(), ec)) {
            const std::string name = entry.path().filename().string();
            // Only a killed run may leave its staged file, hidden and not named like a font;
            // the record of what was installed is whole or absent.
            if (name == ".kernova-installed.txt") {
                EXPECT_NE(test::ReadFileBytes(entry.path()).find("\npackage "), std::string::npos);
            } else if (signal != SIGKILL || name.front() != '.' || name.ends_with(".ttf")) {
                EXPECT_TRUE(test::ReadFileBytes(entry.path()) == fontBytes) << name;
                EXPECT_EQ(entry.status().permissions(), fs::perms(0644)) << name;
                EXPECT_EQ(fs::status(sandbox.fontsDir()).permissions(), fs::perms(0755));
            }
        }
        for (const auto& [file, fullName] : test::FontsOfNewProcess(sandbox.environment())) {
            EXPECT_EQ(fs::file_size(file), fontBytes.size()) << file;
        }
        // A font in place is on record: whatever the run got done, /U takes back.
        const test::ProcessResult removal =
            test::RunProcess(test::InstallerCommand(sandbox, installer, {"/U"}, {}));
        EXPECT_TRUE(removal.exitCode == 0 || removal.exitCode == 6) << removal.err;
        EXPECT_EQ(test::FontsOfNewProcess(sandbox.environment()).size(), 0u);
    }
    EXPECT_EQ(test::RunProcess(test::InstallerCommand(vendor, installer, {"/E"}, {})).exitCode, 0);
    ::umask(umask);
    EXPECT_EQ(fs::status(vendor.work() / "kernova.xml").permissions(), fs::perms(0644));
}

} // namespace
} // namespace kernova
