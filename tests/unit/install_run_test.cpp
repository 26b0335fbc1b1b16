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
using Names = std::vector<std::string>;

// In list order: the form's font list sorts them so.
constexpr const char* kMono = "KernovaSampleMono-Regular.ttf";
constexpr const char* kSans = "KernovaSampleSans-Regular.ttf";
constexpr const char* kSerif = "KernovaSampleSerif-Regular.ttf";

const std::string kFinishedText = "Kernova has finished installing Kernova Sample.";
const std::string kCopyFailedText = "Setup could not finish installing Kernova Sample on your "
                                    "computer. Permission denied to copy fonts.";
const std::string kRegisterFailedText = "Setup could not finish installing Kernova Sample on "
                                        "your computer. Permission denied to register fonts.";
const std::string kSansInstalled = "The Kernova Sample Sans font is already installed.\r\n\r\n"
                                   "To install a new version, first remove the old version.";

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

    void Extract(const Names& fonts) {
        for (const std::string& font : fonts) {
            fs::copy_file(TestFont(font), extractDir / font);
            frm.form.lstFonts.AddItem(font);
        }
    }

    // As an earlier installation would have left it.
    void PreInstall(const std::string& font) {
        fs::copy_file(TestFont(font), sandbox.fontsDir() / font);
        RegisterFont(GetFontName(TestFont(font).string()), font);
        ASSERT_TRUE(Registered(font));
    }

    Names FontsFolder() const {
        Names names;
        for (const auto& entry : fs::directory_iterator(sandbox.fontsDir())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    void Run(bool silent = false) { frm.InstallFonts(silent); }

    bool Registered(const std::string& font) { return IsFontInstalled(TestFont(font).string()); }

    // The finish page, after success or failure.
    void ExpectFinishPage(const std::string& text = kFinishedText, bool failed = false) const {
        const MainForm& form = frm.form;
        const bool ok = !failed;
        EXPECT_FALSE(form.picInstall.visible);
        EXPECT_TRUE(form.picFinish.visible);
        EXPECT_EQ(form.lblFinish.caption, ok ? "Finished!" : "Could not install");
        EXPECT_EQ(form.lblFinishText.caption, text);
        EXPECT_EQ(form.cmdNext.caption, ok ? "&Finish" : "&Close");
        EXPECT_TRUE(form.cmdNext.enabled);
        EXPECT_FALSE(form.cmdCancel.enabled);
    }

    test::Sandbox sandbox;
    test::RecordingRuntime runtime;
    FrmMain frm{runtime, StartupInfo{}};
    fs::path extractDir = sandbox.work() / "extract";
};

TEST_F(InstallRunTest, EmptyListEndsOnTheFinishPage) {
    Run();

    EXPECT_TRUE(runtime.boxes.empty());
    EXPECT_EQ(frm.form.lblPercent.caption, "0 %");
    EXPECT_EQ(frm.form.picProg.rect.width, 15);
    EXPECT_EQ(runtime.refreshes, 4);
    EXPECT_TRUE(FontsFolder().empty());
    ExpectFinishPage();
}

// A listed file that is no font is skipped.
TEST_F(InstallRunTest, NewFontsAreCopiedRegisteredAndSeenByNewProcesses) {
    WriteFileBytes(extractDir / "Broken.ttf", "this is not a font");
    frm.form.lstFonts.AddItem("Broken.ttf");
    Extract({kSerif, kMono, kSans});

    Run();

    EXPECT_TRUE(runtime.boxes.empty());
    EXPECT_EQ(FontsFolder(), (Names{kMono, kSans, kSerif}));
    for (const char* font : {kMono, kSans, kSerif}) {
        EXPECT_EQ(ReadFileBytes(sandbox.fontsDir() / font), ReadFileBytes(TestFont(font)));
        EXPECT_TRUE(Registered(font)) << font;
    }
    EXPECT_TRUE(test::NewProcessListsFullName(sandbox.environment(), "Kernova Sample Mono"));
    // Repainted before the work, after the copies, after registering, before the finish.
    ASSERT_EQ(runtime.atRefresh.size(), 4u);
    EXPECT_EQ(runtime.atRefresh[0].status, "Installing...");
    EXPECT_EQ(runtime.atRefresh[0].percent, "0 %");
    EXPECT_EQ(runtime.atRefresh[1].status, "Copying Kernova Sample Serif");
    EXPECT_EQ(runtime.atRefresh[1].percent, "100 %");
    EXPECT_EQ(runtime.atRefresh[1].fill, 4410);
    EXPECT_EQ(runtime.atRefresh[2].status, "Registering Kernova Sample Serif");
    ExpectFinishPage();
}

// An installed font is announced (OK alone when it is the only font) and left as it was; OK
// goes on with the rest, Cancel ends the copying and registers only what was copied.
struct InstalledCase {
    Names fonts;
    int answer;
    int style;
    const char* percent;
    Names folder;
    const char* lastRegistered; // nullptr: nothing is registered
};

class InstalledFontTest : public InstallRunTest,
                          public ::testing::WithParamInterface<InstalledCase> {};

TEST_P(InstalledFontTest, IsAnnouncedAndTheAnswerIsFollowed) {
    const InstalledCase& c = GetParam();
    PreInstall(kSans);
    Extract(c.fonts);
    runtime.answers = {c.answer};

    Run();

    ASSERT_EQ(runtime.boxes.size(), 1u);
    EXPECT_EQ(runtime.boxes[0].text, kSansInstalled);
    EXPECT_EQ(runtime.boxes[0].style, MB_ICONEXCLAMATION | c.style);
    EXPECT_EQ(runtime.boxes[0].title, "");
    EXPECT_EQ(runtime.atBox[0].status, "Copying Kernova Sample Sans");
    EXPECT_EQ(frm.form.lblPercent.caption, c.percent);
    EXPECT_EQ(FontsFolder(), c.folder);
    EXPECT_EQ(Registered(kMono), c.lastRegistered != nullptr);
    EXPECT_EQ(Registered(kSerif), c.answer == IDOK && c.lastRegistered != nullptr);
    std::string registering;
    for (const test::ShownProgress& shown : runtime.atRefresh) {
        if (shown.status.rfind("Registering", 0) == 0) {
            registering = shown.status;
        }
    }
    EXPECT_EQ(registering, c.lastRegistered ? std::string("Registering ") + c.lastRegistered : "");
    ExpectFinishPage();
}

INSTANTIATE_TEST_SUITE_P(
    Answers, InstalledFontTest,
    ::testing::Values(InstalledCase{{kSans}, IDOK, MB_OK, "100 %", {kSans}, nullptr},
                      InstalledCase{{kMono, kSans, kSerif},
                                    IDOK,
                                    MB_OKCANCEL,
                                    "100 %",
                                    {kMono, kSans, kSerif},
                                    "Kernova Sample Serif"},
                      InstalledCase{{kMono, kSans, kSerif},
                                    IDCANCEL,
                                    MB_OKCANCEL,
                                    "33 %",
                                    {kMono, kSans},
                                    "Kernova Sample Mono"}));

// A fonts folder that cannot be written, or a file where it belongs: nothing is copied or
// registered, no box, the copy failure text.
class BlockedFontsFolderTest : public InstallRunTest, public ::testing::WithParamInterface<bool> {};

TEST_P(BlockedFontsFolderTest, IsACopyFailure) {
    const bool fileInTheWay = GetParam();
    if (fileInTheWay) {
        fs::remove_all(sandbox.fontsDir());
        WriteFileBytes(sandbox.fontsDir(), "a file");
    } else {
        fs::permissions(sandbox.fontsDir(), fs::perms(0555));
    }
    Extract({kMono, kSans});

    Run();

    if (fileInTheWay) {
        EXPECT_EQ(ReadFileBytes(sandbox.fontsDir()), "a file");
    } else {
        fs::permissions(sandbox.fontsDir(), fs::perms::owner_all, fs::perm_options::add);
        EXPECT_TRUE(FontsFolder().empty());
    }
    EXPECT_FALSE(Registered(kMono));
    EXPECT_TRUE(runtime.boxes.empty());
    ExpectFinishPage(kCopyFailedText, true);
}

INSTANTIATE_TEST_SUITE_P(Folders, BlockedFontsFolderTest, ::testing::Bool());

// The file size limit fails the one font that is larger than it, half-way through.
TEST_F(InstallRunTest, AFailedCopyIsNotRegisteredTheRestIsAndTheRunFails) {
    Extract({kMono, kSans, kSerif}); // 14, 16 and 17.8 kB
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
    EXPECT_EQ(FontsFolder(), (Names{kMono, kSans}));
    EXPECT_TRUE(Registered(kSans));
    EXPECT_FALSE(Registered(kSerif));
    EXPECT_EQ(frm.form.lblPercent.caption, "100 %");
    ExpectFinishPage(kCopyFailedText, true);
}

TEST_F(InstallRunTest, ASameNamedFileOfAnotherFontIsKeptAndTheFontGetsAFreeName) {
    const std::string otherFont = ReadFileBytes(TestFont(kSerif));
    WriteFileBytes(sandbox.fontsDir() / kSans, otherFont);
    Extract({kSans});

    Run();

    const std::string freeName = "KernovaSampleSans-Regular_1.ttf";
    EXPECT_EQ(FontsFolder(), (Names{kSans, freeName}));
    EXPECT_EQ(ReadFileBytes(sandbox.fontsDir() / kSans), otherFont);
    EXPECT_EQ(ReadFileBytes(sandbox.fontsDir() / freeName), ReadFileBytes(TestFont(kSans)));
    std::vector<test::ListedFont> listed = test::ListFontsInNewProcess(sandbox.environment());
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[1].fullName, "Kernova Sample Sans");
    EXPECT_EQ(listed[1].file, (sandbox.fontsDir() / freeName).string());
    ExpectFinishPage();
}

// A failure anywhere in the run shows the text of the stage it happened in; what was done
// before it stays done. The run repaints four times: start, copied, registered, finishing.
class InstallFailureByStageTest : public InstallRunTest,
                                  public ::testing::WithParamInterface<int> {};

TEST_P(InstallFailureByStageTest, ShowsTheStagesText) {
    const int failing = GetParam();
    const std::string texts[] = {kFinishedText, kCopyFailedText, kRegisterFailedText,
                                 kFinishedText};
    Extract({kMono, kSans});
    runtime.onRefresh = [failing](int refresh) {
        if (refresh == failing) {
            throw std::runtime_error("the window went away");
        }
    };

    Run();

    ExpectFinishPage(texts[failing - 1], true);
    if (failing >= 2) {
        EXPECT_EQ(FontsFolder(), (Names{kMono, kSans}));
    }
}

INSTANTIATE_TEST_SUITE_P(Stages, InstallFailureByStageTest, ::testing::Range(1, 5));

struct FavoritesCase {
    const char* title;
    const char* url;
    bool addFav;
};

class InstallFavoritesTest : public InstallRunTest,
                             public ::testing::WithParamInterface<FavoritesCase> {};

TEST_P(InstallFavoritesTest, WrittenOnlyWhenTitleAddressAndRequestAllSaySo) {
    const FavoritesCase& c = GetParam();
    const bool written = *c.title && *c.url && c.addFav;
    frm.form.URLTitle = c.title;
    frm.form.URL = c.url;
    frm.form.AddFav = c.addFav;
    Extract({kMono});

    Run();

    const fs::path entry = sandbox.favoritesDir() / (std::string(c.title) + ".url");
    EXPECT_EQ(fs::exists(entry), written);
    if (written) {
        EXPECT_NE(ReadFileBytes(entry).find(std::string("URL=") + c.url), std::string::npos);
    }
    EXPECT_EQ(runtime.atRefresh.back().status == "Adding Favorites Entry", written);
    ExpectFinishPage();
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, InstallFavoritesTest,
    ::testing::Values(FavoritesCase{"Kernova Fonts", "https://k.example/", true},
                      FavoritesCase{"", "https://k.example/", true},
                      FavoritesCase{"Kernova Fonts", "", true},
                      FavoritesCase{"Kernova Fonts", "https://k.example/", false}));

} // namespace
} // namespace kernova
