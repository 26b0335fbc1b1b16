// A font vendor packs fonts with kernova-pack; a user runs the installer twice with /I on a
// machine without a display, in environments that differ in the folders the installer
// falls back on and in what it may write. Everything is seen from outside: exit status,
// files, and what a new fontconfig client lists. Two runs at once install each font once.
// Run as root, it installs for every user.
#include "support/process.h"

#include <gtest/gtest.h>
#include <set>
#include <unistd.h>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using test::Sandbox;
using Files = std::map<std::string, std::string>;

// File and full name of each font packed: OpenType with CFF outlines and TrueType.
const std::pair<const char*, const char*> kFonts[] = {
    {"KernovaSampleCff-Regular.otf", "Kernova Sample Cff"},
    {"KernovaSampleSans-Regular.ttf", "Kernova Sample Sans"},
    {"KernovaSampleSerif-Regular.ttf", "Kernova Sample Serif"}};

// The extraction folders in the shared /tmp, where an installer without TMPDIR extracts.
std::vector<std::string> ExtractionFoldersInTmp() {
    std::vector<std::string> names = test::FolderNames("/tmp");
    std::erase_if(names, [](const std::string& name) { return !name.starts_with("kernova-"); });
    return names;
}

struct Environment {
    const char* name;
    std::vector<std::string> env;                  // arguments of env(1) before the installer
    fs::path (Sandbox::*folder)() const = nullptr; // given `mode`, or a file in its place
    int mode = 0;
    int status = 0;
    const char* says = ""; // on standard error: the cause and the file
};

// A home that cannot hold fonts: XDG_DATA_HOME is the one that counts. Where fontconfig
// cannot write its cache, new clients scan the folder instead (a read-only cache folder of
// the user's own it would simply make writable again).
const Environment kEnvironments[] = {
    {"Default", {}},
    {"XdgDataHomeBeforeHome", {"HOME=/nonexistent"}},
    {"NoXdgDataHomeFallsBackOnHome", {"-u", "XDG_DATA_HOME"}},
    {"NoTmpdirExtractsInTmp", {"-u", "TMPDIR"}},
    {"EmptyTmpdirExtractsInTmp", {"TMPDIR="}},
    {"FileForFontCache", {}, &Sandbox::fontconfigCache},
    {"ReadOnlyFontsFolder",
     {},
     &Sandbox::fontsDir,
     0555,
     5,
     "Error: cannot record the installed fonts in "},
    {"ReadOnlyTemporaryFolder", {}, &Sandbox::tmp, 0555, 5, "Error: cannot create a folder in "},
};

TEST(SilentInstallE2eTest, InstallsAndRunningAgainSaysAlreadyInstalledLeavingNothing) {
    Sandbox vendor;
    const fs::path installer = vendor.work() / "KernovaSample.run";
    std::vector<std::string> pack = {"-o", installer.string()};
    Files installed;
    for (const auto& [font, name] : kFonts) {
        pack.push_back(test::TestFont(font).string());
        installed[font] = test::ReadFileBytes(test::TestFont(font));
    }
    test::Pack(pack);
    for (const Environment& environment : kEnvironments) {
        SCOPED_TRACE(environment.name);
        Sandbox sandbox;
        const fs::path folder = environment.folder ? (sandbox.*environment.folder)() : "";
        if (environment.mode != 0) {
            fs::permissions(folder, fs::perms(environment.mode));
        } else if (!folder.empty()) {
            fs::remove(folder);
            test::WriteFileBytes(folder, "");
        }
        std::vector<std::string> command = {"/usr/bin/env"};
        command.insert(command.end(), environment.env.begin(), environment.env.end());
        command.insert(command.end(), {installer.string(), "/I"});
        const std::vector<std::string> inTmp = ExtractionFoldersInTmp();
        const bool done = environment.status == 0;
        Files listed;
        for (const auto& [font, name] : kFonts) {
            listed[(sandbox.fontsDir() / font).string()] = name;
        }
        for (const bool again : {false, true}) {
            const test::ProcessResult result =
                test::RunProcess(test::AsTestUser(command, sandbox.environment()));
            // Run again, there is nothing to do, and the status says so.
            EXPECT_EQ(result.exitCode, again && done ? 6 : environment.status) << result.err;
            EXPECT_NE(result.err.find(environment.says), std::string::npos) << result.err;
            // A run that got to the fonts says what it did, even when that is nothing.
            const bool reachedFonts = done || environment.folder == &Sandbox::fontsDir;
            EXPECT_EQ(result.out, !reachedFonts ? ""
                                  : !done       ? "0 installed, 0 updated, 0 already installed\n"
                                  : again       ? "0 installed, 0 updated, 3 already installed\n"
                                                : "3 installed, 0 updated, 0 already installed\n");
            Files fonts = test::Snapshot(sandbox.fontsDir());
            EXPECT_EQ(fonts.erase(".kernova-installed.txt"), done ? 1u : 0u);
            EXPECT_EQ(fonts, done ? installed : Files{});
            EXPECT_EQ(test::FontsOfNewProcess(sandbox.environment()), done ? listed : Files{});
            // Without a display the already-installed box is written to standard error.
            for (const auto& [font, name] : kFonts) {
                EXPECT_EQ(result.err.find("The " + std::string(name) +
                                          " font is already installed.") != std::string::npos,
                          again && done)
                    << result.err;
            }
            EXPECT_EQ(test::FolderNames(sandbox.tmp()), std::vector<std::string>{});
            EXPECT_EQ(ExtractionFoldersInTmp(), inTmp);
        }
    }
    // Two runs at once (a double click, a retried script): one installs, the other then finds
    // nothing to do; each font is there once, never as a numbered copy.
    Sandbox sandbox;
    test::ChildProcess first(test::InstallerCommand(sandbox, installer, {"/I"}, {}));
    test::ChildProcess second(test::InstallerCommand(sandbox, installer, {"/I"}, {}));
    const std::set<int> statuses = {first.Wait().exitCode, second.Wait().exitCode};
    EXPECT_EQ(statuses, (std::set<int>{0, 6}));
    Files fonts = test::Snapshot(sandbox.fontsDir());
    fonts.erase(".kernova-installed.txt");
    EXPECT_EQ(fonts, installed);
}

// Run as root, the silent install puts fonts into /usr/local/share/fonts for every user. The
// run happens in a private mount namespace with an empty file system over /usr/local/share,
// so the machine's own folder is never touched; what landed there is reported from inside.
// $1 the size of a file system of its own for the temporary folder ("" none), $2 the font,
// then the command; prints nothing at all when there is no namespace.
constexpr const char* kScript =
    "mount -t tmpfs kernova /usr/local/share && cd /usr/local/share && mkdir -m 0700 tmp || exit\n"
    "[ -z \"$1\" ] || mount -t tmpfs -o size=$1,mode=0700 full tmp || exit\n"
    "echo '<fontconfig><dir>/usr/local/share/fonts</dir><cachedir>/usr/local/share/cache"
    "</cachedir></fontconfig>' >fonts.conf\n"
    "unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM\n"
    "export FONTCONFIG_FILE=$PWD/fonts.conf TMPDIR=$PWD/tmp XDG_RUNTIME_DIR=$PWD/tmp\n"
    "font=$2; shift 2; \"$@\"; echo \"status $?\"; ls -A tmp\n"
    "fc-list --format '%{file}: %{fullname[0]}\\n'; cmp \"$font\" fonts/${font##*/} && echo same\n";

// With room in the temporary folder the font is installed; with a disk too small for it the
// run says so and ends as the machine's fault, leaving nothing. /E needs no room there for
// the font: it writes it straight from the package beside the installer.
TEST(RootInstallE2eTest, PutsTheFontIntoTheSharedFolderAndRegistersIt) {
    if (::getuid() != 0) {
        GTEST_SKIP() << "needs a suite started as root";
    }
    test::Sandbox sandbox;
    const std::string font = test::TestFont("KernovaSampleSans-Regular.ttf").string();
    const std::string installer = (sandbox.work() / "KernovaSample.run").string();
    test::Pack({"-o", installer, font});
    const test::TreeSnapshot shared = test::Snapshot("/usr/local/share");
    const std::tuple<const char*, const char*, const char*, const char*> rows[] = {
        {"", "/I",
         "1 installed, 0 updated, 0 already installed\nstatus 0\n"
         "/usr/local/share/fonts/KernovaSampleSans-Regular.ttf: "
         "Kernova Sample Sans\nsame\n",
         ""},
        {"8k", "/I", "status 5\n",
         "KernovaSampleSans-Regular.ttf to /usr/local/share/tmp/kernova-"},
        {"8k", "/E", "status 0\n", ""}};
    for (const auto& [size, which, out, err] : rows) {
        // The suite runs with only its effective id dropped; the real id takes root back.
        const test::ProcessResult result =
            test::RunProcess({"/usr/bin/setpriv", "--reuid=0", "--regid=0", "--keep-groups",
                              "/usr/bin/unshare", "--mount", "--propagation", "private", "/bin/sh",
                              "-c", kScript, "sh", size, font, installer, which});
        if (result.out.empty()) {
            GTEST_SKIP() << "no private mount namespace: " << result.err;
        }
        EXPECT_EQ(result.out, out) << result.err;
        EXPECT_NE(result.err.find(err), std::string::npos) << result.err;
    }
    EXPECT_EQ(test::Snapshot("/usr/local/share"), shared);
    EXPECT_TRUE(fs::is_empty(sandbox.fontsDir()));
    EXPECT_EQ(test::FolderNames(sandbox.work()),
              (std::vector<std::string>{"KernovaSample.run", "KernovaSampleSans-Regular.ttf",
                                        "kernova.xml"}));
    EXPECT_TRUE(test::ReadFileBytes(sandbox.work() / "KernovaSampleSans-Regular.ttf") ==
                test::ReadFileBytes(font));
}

} // namespace
} // namespace kernova
