#include "fonts/face_name.h"
#include "fonts/font_registry.h"
#include "support/font_listing.h"
#include "support/name_table_font.h"
#include "support/sandbox.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TestFont;
using test::WriteFileBytes;

constexpr const char* kRegular = "KernovaSampleSans-Regular.ttf";
constexpr const char* kBold = "KernovaSampleSans-Bold.ttf";
constexpr const char* kSpaced = "KernovaSpaced-Regular.ttf";

// Names and modification times of every file in a folder tree.
std::map<std::string, fs::file_time_type> FolderState(const fs::path& folder) {
    std::map<std::string, fs::file_time_type> state;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        state[entry.path().string()] = entry.last_write_time();
    }
    return state;
}

class FontRegistry : public ::testing::Test {
  protected:
    // Where the package's files were extracted: the fonts are looked up there.
    fs::path Extracted(const std::string& font) {
        const fs::path path = sandbox.work() / font;
        if (!fs::exists(path)) {
            fs::copy_file(TestFont(font), path);
        }
        return path;
    }
    bool Installed(const std::string& font) { return IsFontInstalled(Extracted(font).string()); }
    // What the installation run does: copy into the fonts folder, then register.
    void Install(const std::string& font) {
        fs::copy_file(TestFont(font), sandbox.fontsDir() / font);
        RegisterFont(GetFontName(Extracted(font).string()), font);
    }
    bool NewProcessLists(const std::string& fullName) {
        return test::NewProcessListsFullName(sandbox.environment(), fullName);
    }

    test::Sandbox sandbox;
};

TEST_F(FontRegistry, FontsFolderIsTheUsersWithOneSeparator) {
    EXPECT_EQ(GetFontsFolder(), sandbox.fontsDir().string() + "/");
}

TEST_F(FontRegistry, NewFontIsNotInstalled) {
    EXPECT_FALSE(Installed(kRegular));
    EXPECT_FALSE(NewProcessLists("Kernova Sample Sans"));
}

TEST_F(FontRegistry, RegisteredFontIsInstalledHereAndForNewProcesses) {
    ASSERT_FALSE(Installed(kRegular));
    Install(kRegular);
    EXPECT_TRUE(Installed(kRegular));
    EXPECT_TRUE(NewProcessLists("Kernova Sample Sans"));
}

// The folder's cache was written here and is current: a new process loads it as it is
// instead of scanning the folder and writing a cache of its own.
TEST_F(FontRegistry, NewProcessesUseTheCacheWrittenAtRegistration) {
    Install(kRegular);
    Install(kBold);
    const auto cache = FolderState(sandbox.fontconfigCache());
    ASSERT_FALSE(cache.empty());
    EXPECT_TRUE(NewProcessLists("Kernova Sample Sans Bold"));
    EXPECT_EQ(FolderState(sandbox.fontconfigCache()), cache);
}

// As the installation run does it: every font copied first, then each registered.
TEST_F(FontRegistry, FontsCopiedTogetherThenRegistered) {
    fs::copy_file(TestFont(kRegular), sandbox.fontsDir() / kRegular);
    fs::copy_file(TestFont(kBold), sandbox.fontsDir() / kBold);
    RegisterFont("Kernova Sample Sans", kRegular);
    RegisterFont("Kernova Sample Sans Bold", kBold);
    EXPECT_TRUE(Installed(kRegular));
    EXPECT_TRUE(Installed(kBold));
    const auto cache = FolderState(sandbox.fontconfigCache());
    EXPECT_EQ(test::ListFontsInNewProcess(sandbox.environment()).size(), 2u);
    EXPECT_EQ(FolderState(sandbox.fontconfigCache()), cache);
}

// A font copied within the clock tick the folder's cache was stamped with leaves the
// folder's time as it was: the cache looks current but lacks the font. Registering the
// font must still bring it into the cache new processes load.
TEST_F(FontRegistry, FontCopiedWithinTheCachesClockTick) {
    Install(kRegular);
    struct stat before {};
    ASSERT_EQ(::stat(sandbox.fontsDir().c_str(), &before), 0);
    fs::copy_file(TestFont(kBold), sandbox.fontsDir() / kBold);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, sandbox.fontsDir().c_str(), times, 0), 0);
    RegisterFont("Kernova Sample Sans Bold", kBold);
    const auto cache = FolderState(sandbox.fontconfigCache());
    EXPECT_TRUE(NewProcessLists("Kernova Sample Sans Bold"));
    EXPECT_EQ(FolderState(sandbox.fontconfigCache()), cache);
    EXPECT_TRUE(Installed(kBold));
}

TEST_F(FontRegistry, NameWithLeadingAndTrailingSpaces) {
    ASSERT_EQ(GetFontName(Extracted(kSpaced).string()), "  Kernova Spaced  ");
    EXPECT_FALSE(Installed(kSpaced));
    Install(kSpaced);
    EXPECT_TRUE(Installed(kSpaced));
    EXPECT_TRUE(NewProcessLists("Kernova Spaced"));
}

TEST_F(FontRegistry, RegularAndBoldOfOneFamilyAreTwoEntries) {
    Install(kRegular);
    EXPECT_TRUE(Installed(kRegular));
    EXPECT_FALSE(Installed(kBold));
    Install(kBold);
    EXPECT_TRUE(Installed(kBold));
    EXPECT_TRUE(Installed(kRegular));
    const auto fonts = test::ListFontsInNewProcess(sandbox.environment());
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[0].fullName, "Kernova Sample Sans Bold");
    EXPECT_EQ(fonts[1].fullName, "Kernova Sample Sans");
}

// Names are compared as fontconfig compares them: without regard to case and spaces.
TEST_F(FontRegistry, NameDifferingOnlyInCaseAndSpacesIsTheSameEntry) {
    Install(kRegular);
    const fs::path other = sandbox.work() / "Other.ttf";
    WriteFileBytes(other, test::WithNameTable(ReadFileBytes(TestFont(kRegular)),
                                              {test::WindowsFullName("KERNOVA  SAMPLESANS")}));
    EXPECT_TRUE(IsFontInstalled(other.string()));
}

TEST_F(FontRegistry, UnreadableFontIsNeverInstalledAndNeverTouchesFontconfig) {
    const std::string font = ReadFileBytes(TestFont(kRegular));
    WriteFileBytes(sandbox.fontsDir() / "Truncated.ttf", font.substr(0, font.size() / 2));
    WriteFileBytes(sandbox.fontsDir() / "Garbage.ttf", std::string(4096, '\x5A'));
    for (const char* name : {"Truncated.ttf", "Garbage.ttf", "Absent.ttf"}) {
        const fs::path file = sandbox.fontsDir() / name;
        EXPECT_FALSE(IsFontInstalled(file.string())) << name;
        RegisterFont("Kernova Sample Sans", name);
        RegisterFont("Kernova Sample Sans", file.string());
        EXPECT_FALSE(IsFontInstalled(file.string())) << name;
    }
    EXPECT_TRUE(fs::is_empty(sandbox.fontconfigCache())) << "fontconfig wrote a cache";
}

// A full path is registered as it stands; outside the folders fontconfig indexes, the
// font is known to this process only, and stays known after the font change.
TEST_F(FontRegistry, FullPathOutsideTheFontsFolder) {
    const fs::path elsewhere = sandbox.root() / "elsewhere";
    fs::create_directories(elsewhere);
    fs::copy_file(TestFont(kBold), elsewhere / kBold);
    RegisterFont("Kernova Sample Sans Bold", (elsewhere / kBold).string());
    EXPECT_TRUE(Installed(kBold));
    BroadcastFontChange();
    EXPECT_TRUE(Installed(kBold));
    EXPECT_FALSE(NewProcessLists("Kernova Sample Sans Bold"));
}

TEST_F(FontRegistry, FontChangeKeepsEveryRegistrationAndTheCacheCurrent) {
    Install(kRegular);
    Install(kSpaced);
    BroadcastFontChange();
    EXPECT_TRUE(Installed(kRegular));
    EXPECT_TRUE(Installed(kSpaced));
    EXPECT_FALSE(Installed(kBold));
    const auto cache = FolderState(sandbox.fontconfigCache());
    EXPECT_TRUE(NewProcessLists("Kernova Spaced"));
    EXPECT_EQ(FolderState(sandbox.fontconfigCache()), cache);
}

// Fonts copied by another program show up after the font change, as in every other
// fontconfig client.
TEST_F(FontRegistry, FontChangeSeesFontsCopiedByOthers) {
    EXPECT_FALSE(Installed(kBold));
    fs::copy_file(TestFont(kBold), sandbox.fontsDir() / kBold);
    BroadcastFontChange();
    EXPECT_TRUE(Installed(kBold));
}

// Every test has its own configuration; the registry follows the environment it runs in.
TEST_F(FontRegistry, EachEnvironmentHasItsOwnRegistry) {
    Install(kRegular);
    ASSERT_TRUE(Installed(kRegular));
    {
        test::Sandbox other;
        EXPECT_FALSE(IsFontInstalled(TestFont(kRegular).string()));
        fs::copy_file(TestFont(kBold), other.fontsDir() / kBold);
        RegisterFont("Kernova Sample Sans Bold", kBold);
        EXPECT_TRUE(IsFontInstalled(TestFont(kBold).string()));
    }
    EXPECT_TRUE(Installed(kRegular));
    EXPECT_FALSE(Installed(kBold));
}

} // namespace
} // namespace kernova
