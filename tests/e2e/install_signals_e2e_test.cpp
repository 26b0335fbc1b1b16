// An installer told to stop by a signal that ends a process, while it extracts or installs,
// removes what it extracted and leaves no staged file where fonts are looked for. Under a
// strict file-creation mask it still gives every user readable fonts, folders and files.
#include "support/process.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace kernova {
namespace {

namespace fs = std::filesystem;

// How many files and folders are below `folder`, at any depth.
std::size_t CountBelow(const fs::path& folder) {
    std::size_t count = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        ++count;
    }
    return count;
}

TEST(InstallSignalsE2eTest, EachSignalEndsTheRunWith128PlusItLeavingNothingBehind) {
    // Sent once the temporary folder holds the private folder and the descriptor (the font
    // is being extracted: 2 names), or the font as well (it is being installed: 3).
    // SIGPIPE is ignored: a closed standard error does not stop an install.
    const std::pair<int, std::size_t> rows[] = {{SIGINT, 2},  {SIGTERM, 3}, {SIGQUIT, 2},
                                                {SIGUSR1, 3}, {SIGALRM, 2}, {SIGPIPE, 2}};
    test::Sandbox vendor;
    const fs::path font = vendor.work() / "KernovaLargeSans-Regular.ttf";
    std::string fontBytes = test::ReadFileBytes(test::TestFont("KernovaSampleSans-Regular.ttf"));
    fontBytes.append(96u << 20, '\0'); // so long to copy that the signal comes meanwhile
    test::WriteFileBytes(font, fontBytes);
    const fs::path installer = vendor.work() / "KernovaLarge.run";
    test::Pack({"-o", installer.string(), "--title", "Large", font.string()});
    const mode_t umask = ::umask(077);
    for (const auto& [signal, names] : rows) {
        test::Sandbox sandbox;
        fs::remove(sandbox.fontsDir()); // made by the run
        test::ChildProcess child(test::InstallerCommand(sandbox, installer, {"/I"}, {}));
        for (int ms = 0; ms < 60000 && CountBelow(sandbox.tmp()) < names; ++ms) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        child.Signal(signal);
        EXPECT_EQ(child.Wait().exitCode, signal == SIGPIPE ? 0 : 128 + signal) << signal;
        EXPECT_EQ(test::FolderNames(sandbox.tmp()), std::vector<std::string>{}) << signal;
        if (!fs::exists(sandbox.fontsDir())) {
            continue; // ended before it made the folder
        }
        for (const std::string& name : test::FolderNames(sandbox.fontsDir())) {
            EXPECT_EQ(test::ReadFileBytes(sandbox.fontsDir() / name), fontBytes) << name;
            EXPECT_EQ(fs::status(sandbox.fontsDir() / name).permissions(), fs::perms(0644));
            EXPECT_EQ(fs::status(sandbox.fontsDir()).permissions(), fs::perms(0755));
        }
    }
    EXPECT_EQ(test::RunProcess(test::InstallerCommand(vendor, installer, {"/E"}, {})).exitCode, 0);
    ::umask(umask);
    EXPECT_EQ(fs::status(vendor.work() / "kernova.xml").permissions(), fs::perms(0644));
}

} // namespace
} // namespace kernova
