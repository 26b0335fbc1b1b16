// The installation run on the fakes, through the wizard's handler. The silent switch's run
// is in the command line's table.
#include "fakes/fake_platform.h"
#include "fakes/fake_runtime.h"
#include "fakes/sfnt_bytes.h"
#include "fonts/install_progress.h"
#include "platform/path.h"
#include "ui/frm_main.h"

#include <gtest/gtest.h>

namespace kernova::test {
namespace {

const std::string kFinished = "Kernova has finished installing Sample.";
const std::string kFailed = "Setup could not finish installing Sample on your computer.";
const std::string kCopyFailed = kFailed + " Permission denied to copy fonts.";

// A wizard on the installing page of a package whose fonts are extracted.
struct InstallRun {
    InstallRun() {
        runtime.form = &form;
        form.ExtractPath = "/tmp/x/";
        form.PackageTitle = "Sample";
        form.lblFinishText.caption = kFinished;
    }
    // Extracts and runs fonts named "<face>.ttf" (a face "-" is a file that is no font); the
    // finish page as it ended, its exit status and the fonts registered (face name:file).
    std::string Run(const Names& faces) {
        for (const std::string& face : faces) {
            p.files.AddFile(form.ExtractPath + face + ".ttf", face == "-" ? "" : FontBytes(face));
            form.lstFonts.AddItem(face + ".ttf");
        }
        bool silent = false;
        frm.InstallFonts(silent);
        std::string outcome = form.lblFinish.caption + "|" + form.lblFinishText.caption + "|" +
                              form.cmdNext.caption + (form.cmdCancel.enabled ? "|cancel" : "") +
                              "|" + std::to_string(static_cast<int>(frm.FinishExitCode()));
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

TEST(InstallRun, NewFontsAreCopiedAndRegisteredWithTheProgressShown) {
    InstallRun run;
    run.p.files.AddFile("/fonts/Sans.ttf", "another font");      // kept: the font gets a free name
    run.p.files.AddFile("/fonts/Serif.ttf", FontBytes("Serif")); // the font itself: adopted
    // Mono twice (one entry twice in the package): one file, registered once.
    EXPECT_EQ(run.Run({"Serif", "Mono", "Sans", "Mono"}),
              "Finished!|" + kFinished +
                  "\r\n2 installed, 0 updated, 1 already installed.|&Finish|0|" +
                  "Mono:/fonts/Mono.ttf|" + "Sans:/fonts/Sans_1.ttf|Serif:/fonts/Serif.ttf");
    EXPECT_TRUE(run.runtime.boxes.empty());
    EXPECT_EQ(run.p.files.Read("/fonts/Sans.ttf") + "|" + run.p.files.Read("/fonts/Sans_1.ttf"),
              "another font|" + FontBytes("Sans"));
    EXPECT_EQ(run.p.files.Names("/fonts"),
              (Names{".kernova-installed.txt", "Mono.ttf", "Sans.ttf", "Sans_1.ttf", "Serif.ttf"}));
    // What /U may remove: the package's own files, not the identical one that was there.
    const std::string record = run.p.files.Read("/fonts/.kernova-installed.txt");
    EXPECT_NE(record.find("package Sample\n"), std::string::npos) << record;
    EXPECT_NE(record.find(" Mono.ttf\n"), std::string::npos) << record;
    EXPECT_NE(record.find(" Sans_1.ttf\n"), std::string::npos) << record;
    EXPECT_NE(record.find("uses " + JoinPath("/fonts", "Serif.ttf") + "\n"), std::string::npos)
        << record;
    EXPECT_EQ(run.p.fonts.broadcasts, 1);
    // Repainted before the work, after the copies, after registering, before the finish.
    EXPECT_EQ(run.runtime.atRefresh,
              (Names{"Installing...|0 %|15", "Copying Serif|100 %|4410",
                     "Registering Serif|100 %|4410", "Registering Serif|100 %|4410"}));
    EXPECT_EQ(PercentText(100, 29) + PercentText(1000, 999), "29 %99 %"); // rounded down exactly
}

// An installed font is announced (OK alone when it is the only font) and left as it was; OK
// goes on with the rest, Cancel ends the copying and registers only what was copied.
TEST(InstallRun, AnInstalledFontIsAnnouncedAndTheAnswerFollowed) {
    // The fonts, the answer; the buttons offered, the percentage and the fonts registered.
    const std::tuple<Names, Answer, std::string> cases[] = {
        {{"Sans"}, Answer::Ok, "OK|100 %"},
        {{"Mono", "Sans", "Serif"},
         Answer::Ok,
         "OK Cancel|100 %|Mono:/fonts/Mono.ttf|Serif:/fonts/Serif.ttf"},
        {{"Mono", "Sans", "Serif"}, Answer::Cancel, "OK Cancel|33 %|Mono:/fonts/Mono.ttf"}};
    for (const auto& [fonts, answer, expected] : cases) {
        InstallRun run;
        run.p.fonts.installed.insert("Sans");
        run.runtime.answers = {answer};
        const std::string outcome = run.Run(fonts);
        ASSERT_EQ(run.runtime.boxes.size(), 1u);
        const FakeRuntime::Box& box = run.runtime.boxes[0];
        EXPECT_EQ(box.text, "The Sans font is already installed.\r\n\r\n"
                            "To install a new version, first remove the old version.");
        EXPECT_EQ(box.icon, MessageIcon::Exclamation);
        EXPECT_TRUE(box.shown.starts_with("Copying Sans|"));
        EXPECT_EQ((box.buttons == MessageButtons::Ok ? "OK|" : "OK Cancel|") +
                      run.form.lblPercent.caption + outcome.substr(outcome.find("&Finish") + 9),
                  expected);
    }
}

// The disk fills during the third copy (the second font gives its room back for the record
// of what was installed); there is no fonts folder; it cannot be written; a
// repaint fails as the run starts, after the copies, after registering, before the finish;
// the only font is no font; the registry refuses a record. What was done stays done; the run fails
// with the text of its stage (blaming permissions only when they were the cause) and one box
// telling each problem; the machine's faults end with their own status.
TEST(InstallRun, AFailureEndsTheRunWithTheStagesTextAndTellsEveryProblem) {
    const std::string registered = "|Mono:/fonts/Mono.ttf|Sans:/fonts/Sans.ttf";
    const std::string all = registered + "|Serif:/fonts/Serif.ttf", away = "the window went away";
    const std::string denied = ".ttf to /fonts: Permission denied\r\n";
    const std::string none = "no font of Sample could be installed";
    const std::string full = ".ttf to /fonts: No space left on device\r\n";
    const std::pair<std::string, std::string> outcomes[] = {
        {kFailed + "|&Close|5|Mono:/fonts/Mono.ttf",
         "cannot copy Sans" + full + "cannot copy Serif" + full.substr(0, full.size() - 2)},
        {kFailed + "|&Close|5", "there is no fonts folder to install into"},
        {kCopyFailed + "|&Close|5", "cannot copy Mono" + denied + "cannot copy Sans" + denied +
                                        "cannot copy Serif" + denied + none},
        {kFinished + "|&Close|4", away},
        {kFailed + "|&Close|4", away},
        {kFailed + "|&Close|4" + all, away},
        {kFinished + "|&Close|4" + all, away},
        {kFailed + "|&Close|4", "-.ttf is not a font file\r\n" + none},
        {kFailed + " Permission denied to register fonts.|&Close|5|Mono:/fonts/Mono.ttf" +
             "|Serif:/fonts/Serif.ttf",
         "cannot register Sans (Sans.ttf): Permission denied"}};
    for (int failing = 0; failing < 9; ++failing) {
        InstallRun run;
        run.p.files.adoption = failing != 0 && failing != 8;
        run.p.files.freeSpace =
            failing == 0 ? std::optional(2 * FontBytes("Mono").size()) : std::nullopt;
        run.p.folders.fonts = failing == 1 ? "" : "/fonts";
        run.p.files.readOnly = {failing == 2 ? "/fonts" : ""};
        run.p.fonts.refused = {failing == 8 ? "Sans" : ""};
        run.runtime.onRefresh = [failing](int refresh) {
            refresh + 2 == failing ? throw std::runtime_error("the window went away") : void();
        };
        EXPECT_EQ(run.Run(failing == 7 ? Names{"-"} : Names{"Mono", "Sans", "Serif"}),
                  "Could not install|" + outcomes[failing].first)
            << failing;
        ASSERT_EQ(run.runtime.boxes.size(), 1u) << failing;
        EXPECT_EQ(run.runtime.boxes[0].text + "|" + run.runtime.boxes[0].title,
                  outcomes[failing].second + "|Kernova Installer Error");
        // Copied (not adopted) fonts are readable by everyone, whatever the creation mask.
        EXPECT_TRUE(failing != 8 || run.p.files.At("/fonts/Mono.ttf").mode == 0644u);
    }
}

// A run with nothing to do writes nothing: a read-only fonts folder is no failure then.
TEST(InstallRun, NothingToDoWritesNothing) {
    InstallRun run;
    run.Run({"Mono"});
    run.runtime.answers = {Answer::Ok};
    run.p.files.readOnly = {"/fonts"};
    run.form.lstFonts.Clear();
    EXPECT_EQ(run.Run({"Mono"}), "Finished!|" + kFinished +
                                     "\r\n0 installed, 0 updated, 1 already installed.|&Finish|0|"
                                     "Mono:/fonts/Mono.ttf");
    EXPECT_EQ(run.runtime.boxes.size(), 1u); // the already-installed box, no failure
}

// A record of installed fonts that cannot be read (damaged, not a file) stops the run before
// any font is in place, says how to get out, and is left as it was.
TEST(InstallRun, AnUnreadableRecordStopsTheRunBeforeAnyFontIsInPlace) {
    const std::string record = JoinPath("/fonts", ".kernova-installed.txt");
    const std::pair<std::string, std::string> cases[] = {
        {"package A\nfile 12 zz A.ttf\n", "it is damaged; move it away to start a new record"},
        {"package A\nfile 1 0 ../etc/passwd\n",
         "it is damaged; move it away to start a new record"},
        {"file 1 0 A.ttf\n", "it is damaged; move it away to start a new record"},
        {"", "it is not a plain file; move it away to start a new record"}};
    for (const auto& [damaged, says] : cases) {
        InstallRun run;
        if (damaged.empty()) {
            run.p.files.AddFolder(record);
        } else {
            run.p.files.AddFile(record, damaged);
        }
        EXPECT_EQ(run.Run({"Mono", "Sans"}), "Could not install|" + kFailed + "|&Close|5");
        ASSERT_EQ(run.runtime.boxes.size(), 1u);
        EXPECT_EQ(run.runtime.boxes[0].text, "cannot record the installed fonts in " + record +
                                                 ": " + says +
                                                 " (2 not installed)\r\nno font of Sample could "
                                                 "be installed");
        EXPECT_EQ(run.p.files.Names("/fonts"), Names{".kernova-installed.txt"});
        EXPECT_TRUE(damaged.empty() || run.p.files.Read(record) == damaged);
    }
}

// A newer release takes the older one's file and says so; a collection whose faces are both
// there is named by its faces; the finish page says what the run did.
TEST(InstallRun, UpdatesAndCollectionsAreToldAsSuch) {
    InstallRun run;
    const std::string older = FaceBytes({{"Release", "Regular", 1.0, "Version 1.000"}});
    const std::string newer = FaceBytes({{"Release", "Regular", 1.1, "Version 1.100"}});
    const std::string pair = FaceBytes({{"Pair Sans"}, {"Pair Serif"}});
    run.p.files.AddFile("/fonts/Old.ttf", older);
    run.p.files.AddFile("/fonts/Pair.ttc", pair);
    const std::string old = JoinPath("/fonts", "Old.ttf"),
                      collection = JoinPath("/fonts", "Pair.ttc");
    run.p.fonts.registered = {
        {"Release", old}, {"Pair Sans", collection}, {"Pair Serif", collection}};
    run.p.files.AddFile(run.form.ExtractPath + "Pair.ttc", pair);
    run.p.files.AddFile(run.form.ExtractPath + "Release.ttf", newer);
    run.form.lstFonts.AddItem("Pair.ttc");
    run.form.lstFonts.AddItem("Release.ttf");
    bool silent = false;
    run.frm.InstallFonts(silent);
    EXPECT_EQ(run.form.lblFinishText.caption,
              kFinished + "\r\n0 installed, 1 updated, 1 already installed.");
    ASSERT_EQ(run.runtime.boxes.size(), 1u);
    EXPECT_TRUE(run.runtime.boxes[0].text.starts_with(
        "The Pair Sans & Pair Serif font is already installed."));
    EXPECT_TRUE(run.runtime.atRefresh[1].starts_with("Updating Release|"))
        << run.runtime.atRefresh[1];
    EXPECT_EQ(run.p.files.Read("/fonts/Old.ttf"), newer);
    EXPECT_EQ(run.p.files.Names("/fonts"),
              (Names{".kernova-installed.txt", "Old.ttf", "Pair.ttc"}));
    EXPECT_EQ(run.p.fonts.unregistered, Names{"/fonts/Old.ttf"}); // let go of before replacing
}

TEST(InstallRun, TheFavoritesEntryIsAddedOnlyWhenTitleAddressAndRequestAllSaySo) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"Kernova", "https://k.example/", true},
        {"", "https://k.example/", true},
        {"Kernova", "", true},
        {"Kernova", "https://k.example/", false}};
    for (const auto& [title, url, addFav] : cases) {
        InstallRun run;
        run.form.URLTitle = title;
        run.form.URL = url;
        run.form.AddFav = addFav;
        run.Run({"Mono"});
        const bool written = *title && *url && addFav;
        EXPECT_EQ(run.p.files.Names("/favorites"), written ? Names{"Kernova.url"} : Names{});
        EXPECT_EQ(run.runtime.atRefresh.back().starts_with("Adding Favorites Entry|"), written);
    }
}

} // namespace
} // namespace kernova::test
