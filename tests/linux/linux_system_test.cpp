// The process, font and shell-folder backends against the real system, in the sandbox.
#include "archive/text_routines.h"
#include "platform/linux/linux_font_system.h"
#include "platform/linux/xdg_shell_folders.h"
#include "platform/posix/posix_process.h"
#include "platform/posix/termination_cleanup.h"
#include "support/process.h"
#include "support/sandbox.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kernova::test {
namespace {

namespace fs = std::filesystem;

// A child arms the clean-up of a full folder (after ignoring SIGHUP, or arming and
// disarming it, when asked) and is sent `signals`; its wait status comes back.
int SignalledChild(const fs::path& folder, bool ignoreHangUp, bool disarm,
                   std::initializer_list<int> signals) {
    int ready[2];
    EXPECT_EQ(::pipe(ready), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGHUP, ignoreHangUp ? SIG_IGN : SIG_DFL);
        fs::create_directory(folder);
        for (int i = 0; i < 200; ++i) { // long names: more than one read of the folder
            WriteFileBytes(folder / (std::to_string(i) + std::string(100, 'n')), "x");
        }
        posix::TerminationCleanup cleanup;
        cleanup.Arm(folder.string() + "/");
        if (disarm) {
            cleanup.Disarm();
        }
        (void)!::write(ready[1], "r", 1);
        for (;;) {
            ::pause();
        }
    }
    char byte = 0;
    const bool started = ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    ::close(ready[1]);
    for (int signal : signals) {
        ::usleep(100 * 1000);
        ::kill(pid, started ? signal : SIGKILL);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

TEST(TerminationCleanup, EachSignalRemovesTheFolderAndExitsWith128PlusIt) {
    Sandbox sandbox;
    const fs::path folder = sandbox.tmp() / "kernova-test";
    WriteFileBytes(sandbox.tmp() / "outside", "stays");
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const int status = SignalledChild(folder, false, false, {signal});
        ASSERT_TRUE(WIFEXITED(status)) << signal;
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        EXPECT_FALSE(fs::exists(folder));
    }
    // An ignored hang-up stays ignored: the interrupt that follows ends the child.
    int status = SignalledChild(folder, true, false, {SIGHUP, SIGINT});
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGINT);
    status = SignalledChild(folder, false, true, {SIGTERM});
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM); // the default again
    EXPECT_FALSE(fs::is_empty(folder));
    EXPECT_TRUE(fs::exists(sandbox.tmp() / "outside"));
}

TEST(TerminationCleanup, OneFolderAtATimeAndTheTemporaryFolder) {
    Sandbox sandbox;
    posix::PosixProcess process;
    std::unique_ptr<TerminationWatch> first = process.RemoveOnTermination(sandbox.tmp().string());
    EXPECT_THROW(process.RemoveOnTermination(sandbox.work().string()), std::system_error);
    first.reset();
    EXPECT_TRUE(process.RemoveOnTermination(sandbox.work().string()));
    EXPECT_THROW(process.RemoveOnTermination((sandbox.tmp() / "missing").string()),
                 std::system_error);
    EXPECT_EQ(process.GetTempFolder(), sandbox.tmp().string());
    ::setenv("TMPDIR", "", 1); // the sandbox restores it
    EXPECT_EQ(process.GetTempFolder(), "/tmp");
}

TEST(LinuxFontSystem, FaceNamesAreTheFullNamesFontconfigScans) {
    Sandbox sandbox;
    LinuxFontSystem fonts;
    for (const char* font : {"KernovaSampleSans-Regular.ttf", "KernovaSampleSans-Bold.ttf",
                             "KernovaSampleMono-Regular.ttf", "KernovaSpaced-Regular.ttf"}) {
        const std::string file = TestFont(font).string();
        EXPECT_EQ(TrimSpaces(fonts.FaceName(file)),
                  RunProcess({"/usr/bin/fc-scan", "--format", "%{fullname[0]}", file}).out);
    }
    EXPECT_EQ(fonts.FaceName(TestFont("KernovaSpaced-Regular.ttf").string()), "  Kernova Spaced  ");
    const std::string font = ReadFileBytes(TestFont("KernovaSampleSans-Regular.ttf"));
    ASSERT_EQ(::mkfifo((sandbox.work() / "fifo.ttf").c_str(), 0600), 0);
    for (const std::string& bytes : {std::string(), std::string(4096, 'Z'), font.substr(0, 12),
                                     font.substr(0, font.size() / 2)}) {
        WriteFileBytes(sandbox.work() / "bad.ttf", bytes);
        EXPECT_EQ(fonts.FaceName((sandbox.work() / "bad.ttf").string()), "") << bytes.size();
    }
    for (const fs::path& path : {sandbox.work() / "fifo.ttf", sandbox.work(), fs::path("/none")}) {
        EXPECT_EQ(fonts.FaceName(path.string()), "") << path;
    }
}

TEST(LinuxFontSystem, RegisteredFontsAreKnownHereAndToNewProcesses) {
    Sandbox sandbox;
    LinuxFontSystem fonts;
    WriteFileBytes(sandbox.fontsDir() / "Broken.ttf", "no font");
    fonts.Register("Broken", (sandbox.fontsDir() / "Broken.ttf").string());
    EXPECT_TRUE(fs::is_empty(sandbox.fontconfigCache())) << "a file that is no font was indexed";
    EXPECT_FALSE(fonts.IsFaceInstalled("Kernova Sample Sans"));
    fs::copy_file(TestFont("KernovaSampleSans-Regular.ttf"), sandbox.fontsDir() / "Sans.ttf");
    fonts.Register("Kernova Sample Sans", (sandbox.fontsDir() / "Sans.ttf").string());
    EXPECT_TRUE(fonts.IsFaceInstalled("KERNOVA SAMPLESANS")); // as fontconfig compares names
    EXPECT_FALSE(fonts.IsFaceInstalled("Kernova Sample Sans Bold"));
    EXPECT_EQ(FontsOfNewProcess(sandbox.environment()),
              (std::map<std::string, std::string>{
                  {(sandbox.fontsDir() / "Sans.ttf").string(), "Kernova Sample Sans"}}));
    // Copied by another program: known after the change notice.
    fs::copy_file(TestFont("KernovaSampleSans-Bold.ttf"), sandbox.fontsDir() / "Bold.ttf");
    fonts.BroadcastChange();
    EXPECT_TRUE(fonts.IsFaceInstalled("Kernova Sample Sans Bold"));
    EXPECT_TRUE(fonts.IsFaceInstalled("Kernova Sample Sans"));
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
