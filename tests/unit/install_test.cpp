// The installation run on the fakes, through the wizard's handler and the silent switch.
#include "fakes/fake_platform.h"
#include "fakes/fake_runtime.h"
#include "fakes/package_bytes.h"
#include "fonts/install_progress.h"
#include "ui/frm_main.h"

#include <gtest/gtest.h>

namespace kernova::test {
namespace {

using Names = std::vector<std::string>;

const std::string kFinished = "Kernova has finished installing Sample.";
const std::string kFailed = "Setup could not finish installing Sample on your computer. ";
const std::string kCopyFailed = kFailed + "Permission denied to copy fonts.";

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
    // Extracts and runs fonts named "<face>.ttf"; a face "-" is a file that is no font.
    void Run(const Names& faces) {
        for (const std::string& face : faces) {
            p.files.AddFile(form.ExtractPath + face + ".ttf", face == "-" ? "" : FontBytes(face));
            form.lstFonts.AddItem(face + ".ttf");
        }
        bool silent = false;
        frm.InstallFonts(silent);
    }
    // The finish page as it ended, and the fonts registered (face name:file).
    std::string Outcome() {
        std::string outcome = form.lblFinish.caption + "|" + form.lblFinishText.caption + "|" +
                              form.cmdNext.caption + (form.cmdCancel.enabled ? "|cancel" : "");
        EXPECT_TRUE(form.picFinish.visible && !form.picInstall.visible && form.cmdNext.enabled);
        EXPECT_EQ(frm.FinishExitCode() == ExitCode::InstallFailed,
                  form.cmdNext.caption == "&Close");
        for (const auto& [face, file] : p.fonts.registered) {
            outcome += "|" + face + ":" + file;
        }
        return outcome;
    }

    FakePlatform p;
    FakeRuntime runtime;
    FrmMain frm{runtime, p.platform, {}};
    MainForm& form = frm.form;
};

TEST_F(InstallRun, NewFontsAreCopiedAndRegisteredWithTheProgressShown) {
    p.files.AddFile("/fonts/Sans.ttf", "another font"); // kept: the font gets a free name
    Run({"Serif", "-", "Mono", "Sans"});
    EXPECT_TRUE(runtime.boxes.empty());
    EXPECT_EQ(Outcome(), "Finished!|" + kFinished + "|&Finish|Mono:/fonts/Mono.ttf|" +
                             "Sans:/fonts/Sans_1.ttf|Serif:/fonts/Serif.ttf");
    EXPECT_EQ(p.files.Read("/fonts/Sans.ttf") + "|" + p.files.Read("/fonts/Sans_1.ttf"),
              "another font|" + FontBytes("Sans"));
    EXPECT_EQ(p.files.At("/fonts/Serif.ttf").mode, 0644u);
    EXPECT_EQ(p.files.adopted, 3); // the extracted files themselves, not copies
    EXPECT_EQ(p.fonts.broadcasts, 1);
    // Repainted before the work, after the copies, after registering, before the finish.
    const Shown registering = {"Registering Serif", "100 %", 4410};
    EXPECT_EQ(runtime.atRefresh, (std::vector<Shown>{{"Installing...", "0 %", 15},
                                                     {"Copying Serif", "100 %", 4410},
                                                     registering,
                                                     registering}));
    EXPECT_EQ(PercentText(100, 29) + PercentText(1000, 999), "29 %99 %"); // rounded down exactly
}

// An installed font is announced (OK alone when it is the only font) and left as it was; OK
// goes on with the rest, Cancel ends the copying and registers only what was copied.
struct InstalledCase {
    Names fonts;
    Answer answer;
    MessageButtons buttons;
    std::string percentAndRegistered;
};

class AlreadyInstalled : public InstallRun, public ::testing::WithParamInterface<InstalledCase> {};

TEST_P(AlreadyInstalled, IsAnnouncedAndTheAnswerFollowed) {
    p.fonts.installed.insert("Sans");
    runtime.answers = {GetParam().answer};
    Run(GetParam().fonts);
    ASSERT_EQ(runtime.boxes.size(), 1u);
    EXPECT_EQ(runtime.boxes[0].text, "The Sans font is already installed.\r\n\r\n"
                                     "To install a new version, first remove the old version.");
    EXPECT_EQ(runtime.boxes[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(runtime.boxes[0].buttons, GetParam().buttons);
    EXPECT_EQ(runtime.boxes[0].shown.status, "Copying Sans");
    EXPECT_EQ(form.lblPercent.caption + Outcome().substr(Outcome().find("&Finish") + 7),
              GetParam().percentAndRegistered);
}

const InstalledCase kInstalled[] = {{{"Sans"}, Answer::Ok, MessageButtons::Ok, "100 %"},
                                    {{"Mono", "Sans", "Serif"},
                                     Answer::Ok,
                                     MessageButtons::OkCancel,
                                     "100 %|Mono:/fonts/Mono.ttf|Serif:/fonts/Serif.ttf"},
                                    {{"Mono", "Sans", "Serif"},
                                     Answer::Cancel,
                                     MessageButtons::OkCancel,
                                     "33 %|Mono:/fonts/Mono.ttf"}};

INSTANTIATE_TEST_SUITE_P(Answers, AlreadyInstalled, ::testing::ValuesIn(kInstalled));

// The disk fills during the third copy; there is no fonts folder; it cannot be written; a
// repaint fails as the run starts, after the copies, after registering, before the finish. What was
// done stays done and the run fails with the text of its stage, asking nothing.
class Failure : public InstallRun, public ::testing::WithParamInterface<int> {};

TEST_P(Failure, EndsTheRunWithTheStagesText) {
    const int failing = GetParam();
    p.files.adoption = failing != 0;
    p.files.freeSpace = failing == 0 ? std::optional(2 * FontBytes("Mono").size()) : std::nullopt;
    p.folders.fonts = failing == 1 ? "" : "/fonts";
    p.files.readOnly = {failing == 2 ? "/fonts" : ""};
    runtime.onRefresh = [failing](int refresh) {
        if (failing >= 3 && refresh == failing - 2) {
            throw std::runtime_error("the window went away");
        }
    };
    Run({"Mono", "Sans", "Serif"});
    const std::string registered = "|Mono:/fonts/Mono.ttf|Sans:/fonts/Sans.ttf";
    const std::string all = registered + "|Serif:/fonts/Serif.ttf";
    const std::string texts[] = {kCopyFailed + "|&Close" + registered,
                                 kCopyFailed + "|&Close",
                                 kCopyFailed + "|&Close",
                                 kFinished + "|&Close",
                                 kCopyFailed + "|&Close",
                                 kFailed + "Permission denied to register fonts.|&Close" + all,
                                 kFinished + "|&Close" + all};
    EXPECT_EQ(Outcome(), "Could not install|" + texts[failing]);
    EXPECT_TRUE(runtime.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Stages, Failure, ::testing::Range(0, 7));

struct FavoritesCase {
    const char* title;
    const char* url;
    bool addFav;
};

class Favorites : public InstallRun, public ::testing::WithParamInterface<FavoritesCase> {};

TEST_P(Favorites, AreWrittenOnlyWhenTitleAddressAndRequestAllSaySo) {
    const bool written = *GetParam().title && *GetParam().url && GetParam().addFav;
    form.URLTitle = GetParam().title;
    form.URL = GetParam().url;
    form.AddFav = GetParam().addFav;
    Run({"Mono"});
    EXPECT_EQ(p.files.Names("/favorites"), written ? Names{"Kernova.url"} : Names{});
    EXPECT_EQ(runtime.atRefresh.back().status == "Adding Favorites Entry", written);
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
    p.files.readOnly = {GetParam() ? "/fonts" : ""};
    MakeFakeInstaller(p.files, "/app/setup", {BytesEntry("Mono.ttf", FontBytes("Mono"))});
    FrmMain frm(runtime, p.platform, {"/app/setup", "/I"});
    EXPECT_EQ(EndsProgram([&] { frm.Form_Load(); }),
              GetParam() ? ExitCode::InstallFailed : ExitCode::Done);
    EXPECT_EQ(p.fonts.registered.size(), GetParam() ? 0u : 1u);
    EXPECT_FALSE(frm.form.visible);
    EXPECT_TRUE(runtime.boxes.empty() && p.files.Names("/tmp").empty());
}

INSTANTIATE_TEST_SUITE_P(FontsFolderReadOnly, SilentInstall, ::testing::Bool());

} // namespace
} // namespace kernova::test
