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
using test::TestFont;

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
    // New processes load the cache written at registration as it is instead of scanning
    // the folder and writing a cache of their own.
    void ExpectNewProcessesUseTheCache(const std::string& fullName) {
        const auto cache = FolderState(sandbox.fontconfigCache());
        ASSERT_FALSE(cache.empty());
        EXPECT_TRUE(NewProcessLists(fullName));
        EXPECT_EQ(FolderState(sandbox.fontconfigCache()), cache);
    }

    test::Sandbox sandbox;
};

TEST_F(FontRegistry, RegularAndBoldOfOneFamilyAreTwoRegisteredEntries) {
    EXPECT_EQ(GetFontsFolder(), sandbox.fontsDir().string() + "/");
    EXPECT_FALSE(Installed(kRegular));
    EXPECT_FALSE(NewProcessLists("Kernova Sample Sans"));
    Install(kRegular);
    EXPECT_TRUE(Installed(kRegular));
    EXPECT_FALSE(Installed(kBold));
    Install(kBold);
    EXPECT_TRUE(Installed(kBold));
    EXPECT_TRUE(Installed(kRegular));
    ExpectNewProcessesUseTheCache("Kernova Sample Sans Bold");
    const auto fonts = test::ListFontsInNewProcess(sandbox.environment());
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[0].fullName, "Kernova Sample Sans Bold");
    EXPECT_EQ(fonts[1].fullName, "Kernova Sample Sans");
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
    ExpectNewProcessesUseTheCache("Kernova Sample Sans Bold");
    EXPECT_TRUE(Installed(kBold));
}

// Names are compared as fontconfig compares them: without regard to case and spaces, and
// a name with leading and trailing spaces is found.
TEST_F(FontRegistry, NamesAreComparedWithoutCaseAndSpaces) {
    ASSERT_EQ(GetFontName(Extracted(kSpaced).string()), "  Kernova Spaced  ");
    EXPECT_FALSE(Installed(kSpaced));
    Install(kSpaced);
    EXPECT_TRUE(Installed(kSpaced));
    EXPECT_TRUE(NewProcessLists("Kernova Spaced"));
    Install(kRegular);
    const fs::path other = sandbox.work() / "Other.ttf";
    test::WriteFileBytes(other,
                         test::WithNameTable(test::ReadFileBytes(TestFont(kRegular)),
                                             {test::WindowsFullName("KERNOVA  SAMPLESANS")}));
    EXPECT_TRUE(IsFontInstalled(other.string()));
}

TEST_F(FontRegistry, UnreadableFontIsNeverInstalledAndNeverTouchesFontconfig) {
    const std::string font = test::ReadFileBytes(TestFont(kRegular));
    test::WriteFileBytes(sandbox.fontsDir() / "Truncated.ttf", font.substr(0, font.size() / 2));
    test::WriteFileBytes(sandbox.fontsDir() / "Garbage.ttf", std::string(4096, '\x5A'));
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

// The font change keeps every registration and the cache current, and fonts copied by
// another program show up after it, as in every other fontconfig client.
TEST_F(FontRegistry, FontChangeKeepsRegistrationsAndSeesFontsCopiedByOthers) {
    Install(kRegular);
    Install(kSpaced);
    EXPECT_FALSE(Installed(kBold));
    fs::copy_file(TestFont(kBold), sandbox.fontsDir() / kBold);
    BroadcastFontChange();
    EXPECT_TRUE(Installed(kRegular));
    EXPECT_TRUE(Installed(kSpaced));
    EXPECT_TRUE(Installed(kBold));
    ExpectNewProcessesUseTheCache("Kernova Spaced");
}

} // namespace
} // namespace kernova
