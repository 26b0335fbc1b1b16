// The process, font and shell-folder backends against the real system, in the sandbox.
#include "archive/text_routines.h"
#include "fonts/sfnt_full_name.h"
#include "platform/linux/linux_font_system.h"
#include "platform/linux/xdg_shell_folders.h"
#include "platform/posix/posix_input_file.h"
#include "platform/posix/posix_process.h"
#include "support/process.h"
#include "support/sandbox.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace kernova::test {
namespace {

namespace fs = std::filesystem;

TEST(TerminationCleanup, OneFolderAtATime) {
    Sandbox sandbox;
    posix::PosixProcess process;
    std::unique_ptr<TerminationWatch> first = process.RemoveOnTermination(sandbox.tmp().string());
    EXPECT_THROW(process.RemoveOnTermination(sandbox.work().string()), std::system_error);
    first.reset();
    EXPECT_TRUE(process.RemoveOnTermination(sandbox.work().string()));
    EXPECT_THROW(process.RemoveOnTermination((sandbox.tmp() / "missing").string()),
                 std::system_error);
}

// The name the portable name-table reader (the Windows build's) gets from the file.
std::string NameTableFullName(const fs::path& file) {
    std::error_code ec;
    const auto input = posix::PosixInputFile::Open(file.string(), ec, Links::Follow);
    return input ? SfntFullName(*input) : "";
}

TEST(LinuxFontSystem, FaceNamesAreTheFullNamesFontconfigScans) {
    Sandbox sandbox;
    LinuxFontSystem fonts;
    for (const char* font : {"KernovaSampleSans-Regular.ttf", "KernovaSampleSans-Bold.ttf",
                             "KernovaSampleMono-Regular.ttf", "KernovaSpaced-Regular.ttf"}) {
        const std::string file = TestFont(font).string();
        EXPECT_EQ(TrimSpaces(fonts.FaceName(file)),
                  RunProcess({"/usr/bin/fc-scan", "--format", "%{fullname[0]}", file}).out);
        EXPECT_EQ(NameTableFullName(file), fonts.FaceName(file));
    }
    EXPECT_EQ(fonts.FaceName(TestFont("KernovaSpaced-Regular.ttf").string()), "  Kernova Spaced  ");
    const std::string font = ReadFileBytes(TestFont("KernovaSampleSans-Regular.ttf"));
    ASSERT_EQ(::mkfifo((sandbox.work() / "fifo.ttf").c_str(), 0600), 0);
    for (const std::string& bytes : {std::string(), std::string(4096, 'Z'), font.substr(0, 12),
                                     font.substr(0, font.size() / 2)}) {
        WriteFileBytes(sandbox.work() / "bad.ttf", bytes);
        EXPECT_EQ(fonts.FaceName((sandbox.work() / "bad.ttf").string()) +
                      NameTableFullName(sandbox.work() / "bad.ttf"),
                  "")
            << bytes.size();
    }
    for (const fs::path& path : {sandbox.work() / "fifo.ttf", sandbox.work(), fs::path("/none")}) {
        EXPECT_EQ(fonts.FaceName(path.string()), "") << path;
    }
}

TEST(LinuxFontSystem, RegisteredFontsAreKnownHereAndToNewProcessesUntilRemoved) {
    using Files = std::vector<std::string>;
    Sandbox sandbox;
    LinuxFontSystem fonts;
    const std::string sans = (sandbox.fontsDir() / "Sans.ttf").string();
    const std::string bold = (sandbox.fontsDir() / "Bold.ttf").string();
    EXPECT_EQ(fonts.InstalledFiles("Kernova Sample Sans"), Files{});
    fs::copy_file(TestFont("KernovaSampleSans-Regular.ttf"), sans);
    EXPECT_FALSE(fonts.Register("Kernova Sample Sans", sans));
    EXPECT_EQ(fonts.InstalledFiles("KERNOVA SAMPLESANS"), Files{sans}); // as fontconfig compares
    EXPECT_EQ(fonts.InstalledFiles("Kernova Sample Sans Bold"), Files{});
    EXPECT_EQ(FontsOfNewProcess(sandbox.environment()),
              (std::map<std::string, std::string>{{sans, "Kernova Sample Sans"}}));
    // Copied by another program: known after the change notice.
    fs::copy_file(TestFont("KernovaSampleSans-Bold.ttf"), bold);
    fonts.BroadcastChange();
    EXPECT_EQ(fonts.InstalledFiles("Kernova Sample Sans Bold"), Files{bold});
    // Removed: gone from this process and from new ones at the change notice.
    fonts.Unregister(sans);
    fs::remove(sans);
    fonts.BroadcastChange();
    EXPECT_EQ(fonts.InstalledFiles("Kernova Sample Sans"), Files{});
    EXPECT_EQ(FontsOfNewProcess(sandbox.environment()),
              (std::map<std::string, std::string>{{bold, "Kernova Sample Sans Bold"}}));
}

TEST(XdgShellFolders, FoldersLieInTheDataHomeAndAreCreated) {
    Sandbox sandbox;
    XdgShellFolders folders;
    fs::remove_all(sandbox.fontsDir());
    EXPECT_EQ(folders.GetSpecialFolder(ShellFolder::Fonts), sandbox.fontsDir().string());
    EXPECT_EQ(folders.GetSpecialFolder(ShellFolder::Favorites), sandbox.favoritesDir().string());
    EXPECT_TRUE(fs::is_directory(sandbox.fontsDir()) && fs::is_directory(sandbox.favoritesDir()));
    ::setenv("XDG_DATA_HOME", "relative", 1); // ignored: HOME decides
    EXPECT_EQ(folders.GetSpecialFolder(ShellFolder::Fonts),
              (sandbox.home() / ".local/share/fonts").string());
    ::setenv("HOME", "relative", 1);
    EXPECT_EQ(folders.GetSpecialFolder(ShellFolder::Favorites), "");
}

} // namespace
} // namespace kernova::test
