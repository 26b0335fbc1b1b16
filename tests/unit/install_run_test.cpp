#include "fonts/face_name.h"
#include "fonts/font_registry.h"
#include "platform/message_box.h"
#include "support/font_listing.h"
#include "support/recording_runtime.h"
#include "support/sandbox.h"
#include "ui/frm_main.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/resource.h>
#include <vector>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TestFont;
using test::WriteFileBytes;

// In list order: the form's font list sorts them so.
constexpr const char* kMono = "KernovaSampleMono-Regular.ttf";
constexpr const char* kSans = "KernovaSampleSans-Regular.ttf";
constexpr const char* kSerif = "KernovaSampleSerif-Regular.ttf";

const std::string kFinishedText = "Kernova has finished installing Kernova Sample.";
const std::string kCopyFailedText = "Setup could not finish installing Kernova Sample on your "
                                    "computer. Permission denied to copy fonts.";
const std::string kRegisterFailedText = "Setup could not finish installing Kernova Sample on "
                                        "your computer. Permission denied to register fonts.";

// A wizard that has reached the installing page of a package whose files are extracted.
class InstallRunTest : public ::testing::Test {
  protected:
    InstallRunTest() {
        runtime.form = &frm.form;
        fs::create_directories(extractDir);
        MainForm& form = frm.form;
        form.ExtractPath = extractDir.string() + "/";
        form.PackageTitle = "Kernova Sample";
        form.lblFinishText.caption = kFinishedText;
        form.picWelcome.visible = false;
        form.picInstall.visible = true;
    }

    void Extract(const std::string& font) {
        fs::copy_file(TestFont(font), extractDir / font);
        frm.form.lstFonts.AddItem(font);
    }

    // As an earlier installation would have left it.
    void PreInstall(const std::string& font) {
        fs::copy_file(TestFont(font), sandbox.fontsDir() / font);
        RegisterFont(GetFontName(TestFont(font).string()), font);
        ASSERT_TRUE(Registered(font));
    }

    void Run(bool silent = false) { frm.InstallFonts(silent); }

    std::vector<std::string> FontsFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(sandbox.fontsDir())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    bool Registered(const std::string& font) { return IsFontInstalled(TestFont(font).string()); }

    bool CopiedAsIs(const std::string& font) const {
        return ReadFileBytes(sandbox.fontsDir() / font) == ReadFileBytes(TestFont(font));
    }

    void ExpectFinished() const {
        const MainForm& form = frm.form;
        EXPECT_FALSE(form.picInstall.visible);
        EXPECT_TRUE(form.picFinish.visible);
        EXPECT_EQ(form.lblFinish.caption, "Finished!");
        EXPECT_EQ(form.lblFinishText.caption, kFinishedText);
        EXPECT_EQ(form.cmdNext.caption, "&Finish");
        EXPECT_TRUE(form.cmdNext.enabled);
        EXPECT_FALSE(form.cmdCancel.enabled);
    }

    void ExpectFailed(const std::string& text) const {
        const MainForm& form = frm.form;
        EXPECT_FALSE(form.picInstall.visible);
        EXPECT_TRUE(form.picFinish.visible);
        EXPECT_EQ(form.lblFinish.caption, "Could not install");
        EXPECT_EQ(form.lblFinishText.caption, text);
        EXPECT_EQ(form.cmdNext.caption, "&Close");
        EXPECT_TRUE(form.cmdNext.enabled);
        EXPECT_FALSE(form.cmdCancel.enabled);
    }

    test::Sandbox sandbox;
    test::RecordingRuntime runtime;
    FrmMain frm{runtime, StartupInfo{}};
    fs::path extractDir = sandbox.work() / "extract";
};

std::string AlreadyInstalled(const std::string& name) {
    return "The " + name +
           " font is already installed.\r\n\r\n"
           "To install a new version, first remove the old version.";
}

TEST_F(InstallRunTest, EmptyListEndsOnTheFinishPage) {
    Run();

    EXPECT_TRUE(runtime.boxes.empty());
    EXPECT_EQ(frm.form.lblPercent.caption, "0 %");
    EXPECT_EQ(frm.form.picProg.rect.width, 15);
    EXPECT_EQ(runtime.refreshes, 4);
    EXPECT_TRUE(FontsFolder().empty());
    ExpectFinished();
}

TEST_F(InstallRunTest, NewFontsAreCopiedRegisteredAndSeenByNewProcesses) {
    Extract(kSerif);
    Extract(kMono);
    Extract(kSans);

    Run();

    EXPECT_TRUE(runtime.boxes.empty());
    EXPECT_EQ(FontsFolder(), (std::vector<std::string>{kMono, kSans, kSerif}));
    for (const char* font : {kMono, kSans, kSerif}) {
        EXPECT_TRUE(CopiedAsIs(font)) << font;
        EXPECT_TRUE(Registered(font)) << font;
    }
    for (const char* name :
         {"Kernova Sample Mono", "Kernova Sample Sans", "Kernova Sample Serif"}) {
        EXPECT_TRUE(test::NewProcessListsFullName(sandbox.environment(), name)) << name;
    }
    // Repainted before the work, after the copies, after registering, before the finish.
    ASSERT_EQ(runtime.atRefresh.size(), 4u);
    EXPECT_EQ(runtime.atRefresh[0].status, "Installing...");
    EXPECT_EQ(runtime.atRefresh[0].percent, "0 %");
    EXPECT_EQ(runtime.atRefresh[1].status, "Copying Kernova Sample Serif");
    EXPECT_EQ(runtime.atRefresh[1].percent, "100 %");
    EXPECT_EQ(runtime.atRefresh[1].fill, 4410);
    EXPECT_EQ(runtime.atRefresh[2].status, "Registering Kernova Sample Serif");
    EXPECT_EQ(runtime.atRefresh[3].status, "Registering Kernova Sample Serif");
    ExpectFinished();
}

TEST_F(InstallRunTest, ASingleInstalledFontIsAnnouncedWithOkAlone) {
    PreInstall(kSans);
    Extract(kSans);

    Run();

    ASSERT_EQ(runtime.boxes.size(), 1u);
    EXPECT_EQ(runtime.boxes[0].text, AlreadyInstalled("Kernova Sample Sans"));
    EXPECT_EQ(runtime.boxes[0].style, MB_ICONEXCLAMATION | MB_OK);
    EXPECT_EQ(runtime.boxes[0].title, "");
    EXPECT_EQ(frm.form.lblPercent.caption, "100 %");
    EXPECT_EQ(frm.form.picProg.rect.width, 4410);
    EXPECT_EQ(FontsFolder(), std::vector<std::string>{kSans});
    for (const test::ShownProgress& shown : runtime.atRefresh) {
        EXPECT_EQ(shown.status.rfind("Registering", 0), std::string::npos) << shown.status;
    }
    ExpectFinished();
}

TEST_F(InstallRunTest, OkOnAnInstalledFontGoesOnWithTheRest) {
    PreInstall(kSans);
    Extract(kMono);
    Extract(kSans);
    Extract(kSerif);

    Run();

    ASSERT_EQ(runtime.boxes.size(), 1u);
    EXPECT_EQ(runtime.boxes[0].style, MB_ICONEXCLAMATION | MB_OKCANCEL);
    EXPECT_EQ(runtime.atBox[0].status, "Copying Kernova Sample Sans");
    EXPECT_EQ(runtime.atBox[0].percent, "33 %");
    EXPECT_EQ(runtime.atBox[0].fill, 1470);
    EXPECT_EQ(frm.form.lblPercent.caption, "100 %");
    EXPECT_EQ(FontsFolder(), (std::vector<std::string>{kMono, kSans, kSerif}));
    EXPECT_TRUE(CopiedAsIs(kMono));
    EXPECT_TRUE(CopiedAsIs(kSerif));
    EXPECT_TRUE(Registered(kMono));
    EXPECT_TRUE(Registered(kSerif));
    EXPECT_EQ(runtime.atRefresh[2].status, "Registering Kernova Sample Serif");
    ExpectFinished();
}

TEST_F(InstallRunTest, CancelOnAnInstalledFontEndsTheCopyingAndRegistersOnlyWhatWasCopied) {
    PreInstall(kSans);
    Extract(kMono);
    Extract(kSans);
    Extract(kSerif);
    runtime.answers = {IDCANCEL};

    Run();

    ASSERT_EQ(runtime.boxes.size(), 1u);
    EXPECT_EQ(frm.form.lblPercent.caption, "33 %");
    EXPECT_EQ(frm.form.picProg.rect.width, 1470);
    EXPECT_EQ(FontsFolder(), (std::vector<std::string>{kMono, kSans}));
    EXPECT_TRUE(Registered(kMono));
    EXPECT_FALSE(Registered(kSerif));
    EXPECT_EQ(runtime.atRefresh[2].status, "Registering Kernova Sample Mono");
    ExpectFinished();
}

TEST_F(InstallRunTest, AnUnwritableFontsFolderIsACopyFailure) {
    Extract(kMono);
    Extract(kSans);
    fs::permissions(sandbox.fontsDir(), fs::perms(0555));

    Run();

    fs::permissions(sandbox.fontsDir(), fs::perms::owner_all, fs::perm_options::add);
    EXPECT_TRUE(FontsFolder().empty());
    EXPECT_FALSE(Registered(kMono));
    EXPECT_FALSE(Registered(kSans));
    EXPECT_TRUE(runtime.boxes.empty());
    ExpectFailed(kCopyFailedText);
}

// The file size limit fails the one font that is larger than it, half-way through.
TEST_F(InstallRunTest, AFailedCopyIsNotRegisteredTheRestIsAndTheRunFails) {
    Extract(kMono);  // 14 kB
    Extract(kSans);  // 16 kB
    Extract(kSerif); // 17.8 kB
    // A second name keeps the run from adopting the extracted files: they are copied.
    for (const char* font : {kMono, kSans, kSerif}) {
        fs::create_hard_link(extractDir / font, sandbox.work() / font);
    }
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    runtime.onRefresh = [&](int refresh) {
        struct rlimit limit = old;
        if (refresh == 1) { // the copy stage starts
            limit.rlim_cur = 17000;
        }
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };

    Run();

    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(FontsFolder(), (std::vector<std::string>{kMono, kSans}));
    EXPECT_TRUE(Registered(kMono));
    EXPECT_TRUE(Registered(kSans));
    EXPECT_FALSE(Registered(kSerif));
    EXPECT_EQ(frm.form.lblPercent.caption, "100 %");
    ExpectFailed(kCopyFailedText);
}

TEST_F(InstallRunTest, ASameNamedFileOfAnotherFontIsKeptAndTheFontGetsAFreeName) {
    const std::string otherFont = ReadFileBytes(TestFont(kSerif));
    WriteFileBytes(sandbox.fontsDir() / kSans, otherFont);
    Extract(kSans);

    Run();

    const std::string freeName = "KernovaSampleSans-Regular_1.ttf";
    EXPECT_EQ(FontsFolder(), (std::vector<std::string>{kSans, freeName}));
    EXPECT_EQ(ReadFileBytes(sandbox.fontsDir() / kSans), otherFont);
    EXPECT_EQ(ReadFileBytes(sandbox.fontsDir() / freeName), ReadFileBytes(TestFont(kSans)));
    EXPECT_TRUE(Registered(kSans));
    std::vector<test::ListedFont> listed = test::ListFontsInNewProcess(sandbox.environment());
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].fullName, "Kernova Sample Serif");
    EXPECT_EQ(listed[1].fullName, "Kernova Sample Sans");
    EXPECT_EQ(listed[1].file, (sandbox.fontsDir() / freeName).string());
    ExpectFinished();
}

TEST_F(InstallRunTest, AFileThatIsNoFontIsSkipped) {
    WriteFileBytes(extractDir / "Broken.ttf", "this is not a font");
    frm.form.lstFonts.AddItem("Broken.ttf");
    Extract(kMono);

    Run();

    EXPECT_EQ(FontsFolder(), std::vector<std::string>{kMono});
    EXPECT_TRUE(Registered(kMono));
    EXPECT_EQ(frm.form.lblPercent.caption, "100 %");
    ExpectFinished();
}

TEST_F(InstallRunTest, NoFontsFolderIsACopyFailure) {
    fs::remove_all(sandbox.fontsDir());
    WriteFileBytes(sandbox.fontsDir(), "a file where the fonts folder belongs");
    Extract(kMono);

    Run();

    EXPECT_EQ(ReadFileBytes(sandbox.fontsDir()), "a file where the fonts folder belongs");
    EXPECT_FALSE(Registered(kMono));
    ExpectFailed(kCopyFailedText);
}

// A failure anywhere in the run shows the text of the stage it happened in; what was done
// before it stays done.
struct StageFailure {
    int failingRefresh; // the run repaints four times: start, copied, registered, finishing
    const char* text;   // nullptr: the finish text stays
};

class InstallFailureByStageTest : public InstallRunTest,
                                  public ::testing::WithParamInterface<StageFailure> {};

TEST_P(InstallFailureByStageTest, ShowsTheStagesText) {
    Extract(kMono);
    Extract(kSans);
    runtime.onRefresh = [](int refresh) {
        if (refresh == GetParam().failingRefresh) {
            throw std::runtime_error("the window went away");
        }
    };

    Run();

    ExpectFailed(GetParam().text ? GetParam().text : kFinishedText);
    if (GetParam().failingRefresh >= 2) {
        EXPECT_EQ(FontsFolder(), (std::vector<std::string>{kMono, kSans}));
    }
}

INSTANTIATE_TEST_SUITE_P(Stages, InstallFailureByStageTest,
                         ::testing::Values(StageFailure{1, nullptr},
                                           StageFailure{2, kCopyFailedText.c_str()},
                                           StageFailure{3, kRegisterFailedText.c_str()},
                                           StageFailure{4, nullptr}));

TEST_F(InstallRunTest, SilentRunHidesTheWindowAndStillAsksAboutInstalledFonts) {
    PreInstall(kSans);
    Extract(kSans);
    Extract(kSerif);
    frm.form.visible = true;

    Run(true);

    EXPECT_FALSE(frm.form.visible);
    EXPECT_EQ(runtime.refreshes, 3); // no repaint before the work: nothing is shown
    ASSERT_EQ(runtime.boxes.size(), 1u);
    EXPECT_EQ(runtime.boxes[0].text, AlreadyInstalled("Kernova Sample Sans"));
    EXPECT_TRUE(Registered(kSerif));
    ExpectFinished();
}

TEST_F(InstallRunTest, SilentFailureEndsTheProgramWithTheFailureStatus) {
    Extract(kMono);
    fs::permissions(sandbox.fontsDir(), fs::perms(0555));

    try {
        Run(true);
        ADD_FAILURE() << "the run returned";
    } catch (const ProgramEnded& ended) {
        EXPECT_EQ(ended.code, ExitCode::InstallFailed);
    }
    fs::permissions(sandbox.fontsDir(), fs::perms::owner_all, fs::perm_options::add);
    EXPECT_TRUE(FontsFolder().empty());
}

struct FavoritesCase {
    const char* title;
    const char* url;
    bool addFav;
    bool written;
};

class InstallFavoritesTest : public InstallRunTest,
                             public ::testing::WithParamInterface<FavoritesCase> {};

TEST_P(InstallFavoritesTest, WrittenOnlyWhenTitleAddressAndRequestAllSaySo) {
    const FavoritesCase& c = GetParam();
    frm.form.URLTitle = c.title;
    frm.form.URL = c.url;
    frm.form.AddFav = c.addFav;
    Extract(kMono);

    Run();

    const fs::path entry = sandbox.favoritesDir() / (std::string(c.title) + ".url");
    EXPECT_EQ(fs::exists(entry), c.written);
    if (c.written) {
        EXPECT_NE(ReadFileBytes(entry).find(std::string("URL=") + c.url), std::string::npos);
    }
    EXPECT_EQ(runtime.atRefresh.back().status == "Adding Favorites Entry", c.written);
    ExpectFinished();
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, InstallFavoritesTest,
    ::testing::Values(FavoritesCase{"Kernova Fonts", "https://kernova.example/", true, true},
                      FavoritesCase{"", "https://kernova.example/", true, false},
                      FavoritesCase{"Kernova Fonts", "", true, false},
                      FavoritesCase{"Kernova Fonts", "https://kernova.example/", false, false}));

} // namespace
} // namespace kernova
