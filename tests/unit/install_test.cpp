// The installation run on the fakes, through the wizard's handler and the silent switch.
#include "fakes/fake_platform.h"
#include "fakes/fake_runtime.h"
#include "fakes/package_bytes.h"
#include "ui/frm_main.h"

#include <gtest/gtest.h>

namespace kernova::test {
namespace {

using Names = std::vector<std::string>;
using Registered = std::vector<std::pair<std::string, std::string>>;

const std::string kFinished = "Kernova has finished installing Sample.";
const std::string kCopyFailed =
    "Setup could not finish installing Sample on your computer. Permission denied to copy fonts.";
const std::string kRegisterFailed = "Setup could not finish installing Sample on your computer. "
                                    "Permission denied to register fonts.";

// A wizard on the installing page of a package whose fonts are extracted.
class InstallRun : public ::testing::Test {
  protected:
    InstallRun() {
        runtime.form = &form;
        form.ExtractPath = "/tmp/x/";
        form.PackageTitle = "Sample";
        form.lblFinishText.caption = kFinished;
        form.picWelcome.visible = false;
        form.picInstall.visible = true;
    }
    // Extracts fonts named "<face>.ttf"; a face "-" is a file that is no font.
    void Extract(const Names& faces) {
        for (const std::string& face : faces) {
            p.files.AddFile(form.ExtractPath + face + ".ttf",
                            face == "-" ? "junk" : FontBytes(face));
            form.lstFonts.AddItem(face + ".ttf");
        }
    }
    void Run(bool silent = false) { frm.InstallFonts(silent); }
    void ExpectFinishPage(const std::string& text, bool failed = false) {
        EXPECT_TRUE(form.picFinish.visible && !form.picInstall.visible);
        EXPECT_EQ(form.lblFinish.caption, failed ? "Could not install" : "Finished!");
        EXPECT_EQ(form.lblFinishText.caption, text);
        EXPECT_EQ(form.cmdNext.caption, failed ? "&Close" : "&Finish");
        EXPECT_TRUE(form.cmdNext.enabled && !form.cmdCancel.enabled);
        EXPECT_EQ(frm.FinishExitCode(), failed ? ExitCode::InstallFailed : ExitCode::Done);
    }

    FakePlatform p;
    FakeRuntime runtime;
    FrmMain frm{runtime, p.platform, {}};
    MainForm& form = frm.form;
};

TEST_F(InstallRun, NewFontsAreCopiedAndRegisteredWithTheProgressShown) {
    Extract({"Serif", "-", "Mono", "Sans"});
    Run();
    EXPECT_TRUE(runtime.boxes.empty());
    EXPECT_EQ(p.files.Names("/fonts"), (Names{"Mono.ttf", "Sans.ttf", "Serif.ttf"}));
    EXPECT_EQ(p.files.Read("/fonts/Sans.ttf"), FontBytes("Sans"));
    EXPECT_EQ(p.files.At("/fonts/Sans.ttf").mode, 0644u);
    EXPECT_EQ(p.files.adopted, 3); // the extracted files themselves, not copies
    EXPECT_EQ(p.fonts.registered, (Registered{{"Mono", "/fonts/Mono.ttf"},
                                              {"Sans", "/fonts/Sans.ttf"},
                                              {"Serif", "/fonts/Serif.ttf"}}));
    EXPECT_EQ(p.fonts.broadcasts, 1);
    // Repainted before the work, after the copies, after registering, before the finish.
    EXPECT_EQ(runtime.atRefresh, (std::vector<Shown>{{"Installing...", "0 %", 15},
                                                     {"Copying Serif", "100 %", 4410},
                                                     {"Registering Serif", "100 %", 4410},
                                                     {"Registering Serif", "100 %", 4410}}));
    ExpectFinishPage(kFinished);
}

TEST_F(InstallRun, ATakenNameIsKeptAndTheFontGetsAFreeOne) {
    p.files.AddFile("/fonts/Sans.ttf", "another font");
    Extract({"Sans"});
    Run();
    EXPECT_EQ(p.files.Read("/fonts/Sans.ttf"), "another font");
    EXPECT_EQ(p.fonts.registered, (Registered{{"Sans", "/fonts/Sans_1.ttf"}}));
    ExpectFinishPage(kFinished);
}

// An installed font is announced (OK alone when it is the only font) and left as it was; OK
// goes on with the rest, Cancel ends the copying and registers only what was copied.
struct InstalledCase {
    Names fonts;
    Answer answer;
    MessageButtons buttons;
    const char* percent;
    Names copied;
};

class AlreadyInstalled : public InstallRun, public ::testing::WithParamInterface<InstalledCase> {};

TEST_P(AlreadyInstalled, IsAnnouncedAndTheAnswerFollowed) {
    p.fonts.installed.insert("Sans");
    Extract(GetParam().fonts);
    runtime.answers = {GetParam().answer};
    Run();
    ASSERT_EQ(runtime.boxes.size(), 1u);
    EXPECT_EQ(runtime.boxes[0].text, "The Sans font is already installed.\r\n\r\n"
                                     "To install a new version, first remove the old version.");
    EXPECT_EQ(runtime.boxes[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(runtime.boxes[0].buttons, GetParam().buttons);
    EXPECT_EQ(runtime.boxes[0].shown.status, "Copying Sans");
    EXPECT_EQ(form.lblPercent.caption, GetParam().percent);
    EXPECT_EQ(p.files.Names("/fonts"), GetParam().copied);
    EXPECT_EQ(p.fonts.registered.size(), GetParam().copied.size());
    ExpectFinishPage(kFinished);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, AlreadyInstalled,
    ::testing::Values(InstalledCase{{"Sans"}, Answer::Ok, MessageButtons::Ok, "100 %", {}},
                      InstalledCase{{"Mono", "Sans", "Serif"},
                                    Answer::Ok,
                                    MessageButtons::OkCancel,
                                    "100 %",
                                    {"Mono.ttf", "Serif.ttf"}},
                      InstalledCase{{"Mono", "Sans", "Serif"},
                                    Answer::Cancel,
                                    MessageButtons::OkCancel,
                                    "33 %",
                                    {"Mono.ttf"}}));

// The disk fills up during the third copy: what was copied is registered, the run fails.
TEST_F(InstallRun, AFailedCopyIsNotRegisteredTheRestIsAndTheRunFails) {
    Extract({"Mono", "Sans", "Serif"});
    p.files.adoption = false;
    p.files.freeSpace = 2 * FontBytes("Mono").size() + 10;
    Run();
    EXPECT_EQ(p.files.Names("/fonts"), (Names{"Mono.ttf", "Sans.ttf"}));
    EXPECT_EQ(p.fonts.registered.size(), 2u);
    EXPECT_EQ(form.lblPercent.caption, "100 %");
    ExpectFinishPage(kCopyFailed, true);
}

// No fonts folder, or one that cannot be written: nothing is copied or registered, no box.
class BlockedFontsFolder : public InstallRun, public ::testing::WithParamInterface<bool> {};

TEST_P(BlockedFontsFolder, IsACopyFailure) {
    if (GetParam()) {
        p.folders.fonts.clear();
    } else {
        p.files.readOnly.insert("/fonts");
    }
    Extract({"Mono", "Sans"});
    Run();
    EXPECT_TRUE(p.files.Names("/fonts").empty() && p.fonts.registered.empty());
    EXPECT_TRUE(runtime.boxes.empty());
    ExpectFinishPage(kCopyFailed, true);
}

INSTANTIATE_TEST_SUITE_P(Folders, BlockedFontsFolder, ::testing::Bool());

// A failure anywhere shows the text of the stage it happened in; what was done stays done.
class FailureByStage : public InstallRun, public ::testing::WithParamInterface<int> {};

TEST_P(FailureByStage, ShowsTheStagesText) {
    // Repaints 2, 3 and 4 close the copy, registration and finishing stages.
    const std::string texts[] = {kFinished, kCopyFailed, kRegisterFailed, kFinished};
    Extract({"Mono", "Sans"});
    runtime.onRefresh = [failing = GetParam()](int refresh) {
        if (refresh == failing) {
            throw std::runtime_error("the window went away");
        }
    };
    Run();
    ExpectFinishPage(texts[GetParam() - 1], true);
    EXPECT_EQ(p.files.Names("/fonts").size(), GetParam() >= 2 ? 2u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Stages, FailureByStage, ::testing::Range(2, 5));

struct FavoritesCase {
    const char* title;
    const char* url;
    bool addFav;
};

class Favorites : public InstallRun, public ::testing::WithParamInterface<FavoritesCase> {};

TEST_P(Favorites, WrittenOnlyWhenTitleAddressAndRequestAllSaySo) {
    const bool written = *GetParam().title && *GetParam().url && GetParam().addFav;
    form.URLTitle = GetParam().title;
    form.URL = GetParam().url;
    form.AddFav = GetParam().addFav;
    Extract({"Mono"});
    Run();
    EXPECT_EQ(p.files.Names("/favorites"), written ? Names{"Kernova.url"} : Names{});
    EXPECT_EQ(runtime.atRefresh.back().status == "Adding Favorites Entry", written);
    ExpectFinishPage(kFinished);
}

INSTANTIATE_TEST_SUITE_P(Conditions, Favorites,
                         ::testing::Values(FavoritesCase{"Kernova", "https://k.example/", true},
                                           FavoritesCase{"", "https://k.example/", true},
                                           FavoritesCase{"Kernova", "", true},
                                           FavoritesCase{"Kernova", "https://k.example/", false}));

// "/I": the status tells how it went, no box (scripts read the status), nothing left.
class SilentInstall : public ::testing::TestWithParam<bool> {};

TEST_P(SilentInstall, EndsWithTheStatusAndCleansUp) {
    FakePlatform p;
    FakeRuntime runtime;
    if (GetParam()) {
        p.files.readOnly.insert("/fonts");
    }
    MakeFakeInstaller(p.files, "/app/setup",
                      {BytesEntry("Mono.ttf", FontBytes("Mono")), DescriptorEntry({})});
    FrmMain frm(runtime, p.platform, {"/app/setup", "/I"});
    EXPECT_EQ(EndsProgram([&] { frm.Form_Load(); }),
              GetParam() ? ExitCode::InstallFailed : ExitCode::Done);
    EXPECT_EQ(p.fonts.registered.size(), GetParam() ? 0u : 1u);
    EXPECT_FALSE(frm.form.visible);
    EXPECT_TRUE(runtime.boxes.empty());
    EXPECT_TRUE(p.files.Names("/tmp").empty());
}

INSTANTIATE_TEST_SUITE_P(FontsFolderReadOnly, SilentInstall, ::testing::Bool());

} // namespace
} // namespace kernova::test
