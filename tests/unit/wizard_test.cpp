// The wizard on the fakes: package loading, the command line and the page state machine.
#include "app/command_line.h"
#include "config/descriptor.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_runtime.h"
#include "fakes/package_bytes.h"
#include "ui/frm_main.h"

#include <gtest/gtest.h>

namespace kernova::test {
namespace {

using Names = std::vector<std::string>;

class Wizard : public ::testing::Test {
  protected:
    Wizard() { runtime.files = &p.files; }

    // Builds the installer and runs the start-up sequence; the exit status when it ended.
    std::optional<ExitCode> Load(const std::vector<PackageInput>& entries,
                                 const std::string& tail = "") {
        entries.empty() ? p.files.AddFile("/app/setup", std::string(2000, 'x'))
                        : MakeFakeInstaller(p.files, "/app/setup", entries);
        frm = std::make_unique<FrmMain>(runtime, p.platform, StartupInfo{"/app/setup", tail});
        runtime.form = &frm->form;
        frm->Form_Initialize();
        return EndsProgram([&] { frm->Form_Load(); });
    }
    MainForm& form() { return frm->form; }
    std::string Extracted(const std::string& name) { return form().ExtractPath + name; }

    FakePlatform p;
    FakeRuntime runtime;
    std::unique_ptr<FrmMain> frm;
};

TEST_F(Wizard, WithoutDescriptorShowsOnlyTheWelcomePage) {
    ASSERT_FALSE(Load({BytesEntry("Sample.ttf", "font bytes")}));
    EXPECT_EQ(form().caption, " - Kernova Installer");
    EXPECT_FALSE(form().License || form().ReadMe || form().AddFav || form().lblLink.visible);
    EXPECT_FALSE(form().picPreview.visible || form().imgSide.picture.image);
    EXPECT_TRUE(runtime.boxes.empty());
    EXPECT_TRUE(form().visible && form().picWelcome.visible && form().cmdNext.enabled);
    EXPECT_FALSE(form().picLicense.visible || form().picFinish.visible || form().cmdBack.enabled);
    EXPECT_FALSE(frm->frmExtracting.loaded || frm->frmExtracting.visible);
    EXPECT_EQ(FakeFileSystem::Key(form().AppPath), "/app");
    EXPECT_GE(runtime.refreshes, 1); // the notice was painted before the work
    EXPECT_GT(runtime.pumps, 0);
    // Extracted into a private, watched folder in the temporary folder.
    EXPECT_EQ(p.files.Names("/tmp"), Names{"kernova-1"});
    EXPECT_EQ(p.files.At("/tmp/kernova-1").mode, 0700u);
    EXPECT_EQ(p.process.watched, Names{form().ExtractPath});
    EXPECT_EQ(p.files.Read(Extracted("Sample.ttf")), "font bytes");
    EXPECT_EQ(DescriptorPath, Extracted("kernova.xml"));
}

TEST_F(Wizard, DescriptorFillsTheWizardAndItsTextsAreDecoded) {
    ASSERT_FALSE(Load({BytesEntry("readme.txt", "unix\nline ends"),
                       BytesEntry("license.txt", "\x93"
                                                 "Fa\xE7"
                                                 "ade\x94\r"),
                       DescriptorEntry({{"Title", "Caf\xE9 Sans"},
                                        {"Readme", "True"},
                                        {"License", "-1"},
                                        {"URL", "https://example.org"},
                                        {"URLName", "Example Fonts"},
                                        {"AddFavorites", "1"}})}));
    EXPECT_EQ(form().caption, "Caf\xC3\xA9 Sans - Kernova Installer");
    EXPECT_EQ(form().lblSetup.caption, "This will install Caf\xC3\xA9 Sans on your computer.");
    EXPECT_EQ(form().lblFinishText.caption, "Kernova has finished installing Caf\xC3\xA9 Sans.");
    EXPECT_EQ(form().txtReadme.text, "unix\r\nline ends\r\n");
    EXPECT_EQ(form().txtLicense.text, "\xE2\x80\x9C"
                                      "Fa\xC3\xA7"
                                      "ade\xE2\x80\x9D\r\n");
    EXPECT_TRUE(form().License && form().ReadMe && form().AddFav && form().lblLink.visible);
    EXPECT_EQ(form().lblLink.caption, "Example Fonts");
}

TEST_F(Wizard, EmptyTextsAreNotShownAndTheLinkNeedsAName) {
    ASSERT_FALSE(Load({BytesEntry("readme.txt", ""), BytesEntry("license.txt", "text"),
                       DescriptorEntry({{"Readme", "True"}, {"License", "0"}, {"URL", "u"}})}));
    EXPECT_FALSE(form().ReadMe || form().License || form().lblLink.visible);
    EXPECT_TRUE(form().txtLicense.text.empty());
}

TEST_F(Wizard, FontListHoldsTtfEntriesSortedAndTheFirstIsPreviewed) {
    ASSERT_FALSE(
        Load({BytesEntry("B.TTF", "x"), BytesEntry("c.otf", "x"),
              BytesEntry("a.ttf", FontBytes("Kernova A")), BytesEntry("notes.ttf.txt", "x"),
              BytesEntry("d ttf", "x"), DescriptorEntry({{"ShowFontPreview", "True"}})}));
    EXPECT_EQ(form().lstFiles.items(),
              (Names{"kernova.xml", "d ttf", "notes.ttf.txt", "a.ttf", "c.otf", "B.TTF"}));
    EXPECT_EQ(form().lstFonts.items(), (Names{"a.ttf", "B.TTF", "d ttf"}));
    EXPECT_TRUE(form().lblFontPreview.visible && form().picPreview.visible);
    EXPECT_EQ(runtime.preview.addedFiles, Names{Extracted("a.ttf")});
    EXPECT_EQ(runtime.preview.printed.size(), 3u);
}

TEST_F(Wizard, PicturesLoadAndTheLastMatchWins) {
    ASSERT_FALSE(Load({BytesEntry("left.jpg", "\xFF\xD8\xFF jpeg"),
                       BytesEntry("LEFT.BMP", "BM bitmap"), BytesEntry("left.jpeg", "no match"),
                       BytesEntry("Top.gif", "GIF89a pic"), DescriptorEntry({})}));
    EXPECT_EQ(runtime.loadedPictures,
              (Names{Extracted("LEFT.BMP"), Extracted("left.jpg"), Extracted("Top.gif")}));
    EXPECT_EQ(form().imgSide.picture.sourcePath, Extracted("left.jpg"));
    EXPECT_EQ(form().picLicense.picture.sourcePath, Extracted("Top.gif"));
    EXPECT_EQ(form().picInstall.picture.image, form().picLicense.picture.image);
    EXPECT_EQ(form().picReadme.picture.image, form().picLicense.picture.image);
}

struct CorruptCase {
    const char* name;
    std::vector<PackageInput> entries;
};

class CorruptPackageLoad : public Wizard, public ::testing::WithParamInterface<CorruptCase> {};

TEST_P(CorruptPackageLoad, SaysSoLeavesNothingAndNeverShowsTheWizard) {
    ASSERT_EQ(Load(GetParam().entries, "/?"), ExitCode::CorruptPackage);
    ASSERT_EQ(runtime.boxes.size(), 1u); // the usage is never shown
    EXPECT_EQ(runtime.boxes[0].text, "This Kernova Installer is corrupt.");
    EXPECT_EQ(runtime.boxes[0].title, "Kernova Installer Error");
    EXPECT_EQ(runtime.boxes[0].icon, MessageIcon::Error);
    EXPECT_FALSE(frm->frmExtracting.loaded || form().visible);
    EXPECT_TRUE(p.files.Names("/tmp").empty());
    EXPECT_EQ(p.files.Names("/app"), Names{"setup"});
}

std::vector<PackageInput> WithTag(const char* tag, const char* value) {
    return {BytesEntry("readme.txt", "r"), BytesEntry("license.txt", "l"),
            DescriptorEntry({{tag, value}})};
}

INSTANTIATE_TEST_SUITE_P(
    Packages, CorruptPackageLoad,
    ::testing::Values(
        CorruptCase{"NoPackage", {}},
        CorruptCase{"ReadmeWithoutFile", {DescriptorEntry({{"Readme", "True"}})}},
        CorruptCase{"LicenseWithoutFile",
                    {BytesEntry("readme.txt", "r"), DescriptorEntry({{"License", "1"}})}},
        CorruptCase{"NameShorterThanFour", {BytesEntry("a.b", "x"), DescriptorEntry({})}},
        CorruptCase{"SideNoPicture", {BytesEntry("left.bmp", "text"), DescriptorEntry({})}},
        CorruptCase{"TopEmpty", {BytesEntry("TOP.png", ""), DescriptorEntry({})}},
        CorruptCase{"ReadmeYes", WithTag("Readme", "yes")},
        CorruptCase{"AddFavorites1x", WithTag("AddFavorites", "1x")},
        CorruptCase{"PreviewOn", WithTag("showfontpreview", "on")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Wizard, NoTemporaryFolderIsACorruptPackage) {
    p.files.readOnly.insert("/tmp");
    EXPECT_EQ(Load({DescriptorEntry({})}), ExitCode::CorruptPackage);
}

// Only the last two characters of the trimmed, upper-cased tail count.
using SwitchCase = std::pair<std::string, CommandLineSwitch>;

class CommandLine : public Wizard, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(CommandLine, FormLoadActsOnTheSwitch) {
    using enum CommandLineSwitch;
    EXPECT_EQ(SwitchOf(GetParam().first), GetParam().second);
    const std::optional<ExitCode> ended =
        Load({BytesEntry("Mono.ttf", FontBytes("Kernova Mono")), BytesEntry("notes.dat", "\1\2"),
              DescriptorEntry({{"Title", "Switches"}})},
             GetParam().first);
    EXPECT_EQ(ended, GetParam().second == None ? std::nullopt : std::optional(ExitCode::Done));
    EXPECT_EQ(form().picWelcome.visible, GetParam().second == None);
    EXPECT_EQ(p.files.Names("/app"), GetParam().second == Extract
                                         ? (Names{"Mono.ttf", "kernova.xml", "notes.dat", "setup"})
                                         : Names{"setup"});
    EXPECT_EQ(p.fonts.registered.size(), GetParam().second == Install ? 1u : 0u);
    ASSERT_EQ(runtime.boxes.size(), GetParam().second == Usage ? 1u : 0u);
    if (GetParam().second == Usage) {
        EXPECT_EQ(runtime.boxes[0].text, kUsageText);
        EXPECT_EQ(runtime.boxes[0].icon, MessageIcon::Information);
    }
    // The ending removed the extracted files.
    EXPECT_EQ(p.files.Names("/tmp").empty(), ended.has_value());
}

INSTANTIATE_TEST_SUITE_P(Tails, CommandLine,
                         ::testing::Values(SwitchCase{"", CommandLineSwitch::None},
                                           SwitchCase{"  /e  ", CommandLineSwitch::Extract},
                                           SwitchCase{"/I /E", CommandLineSwitch::Extract},
                                           SwitchCase{"/E /i", CommandLineSwitch::Install},
                                           SwitchCase{"x/?", CommandLineSwitch::Usage},
                                           SwitchCase{"/E2", CommandLineSwitch::None},
                                           SwitchCase{"/EXTRACT", CommandLineSwitch::None},
                                           SwitchCase{"/E\t", CommandLineSwitch::None},
                                           SwitchCase{"\t/E", CommandLineSwitch::Extract}));

// The one visible page and what is on: "licence back next agreed".
std::string Describe(const MainForm& form) {
    const std::pair<bool, const char*> pages[] = {{form.picWelcome.visible, "welcome"},
                                                  {form.picLicense.visible, "licence"},
                                                  {form.picReadme.visible, "information"},
                                                  {form.picInstall.visible, "installing"},
                                                  {form.picFinish.visible, "finish"}};
    std::string text;
    for (const auto& [visible, name] : pages) {
        text += visible ? std::string(text.empty() ? "" : "+") + name : "";
    }
    text += form.cmdBack.enabled ? " back" : "";
    text += form.cmdNext.enabled ? " next" : "";
    text += form.optAgree.value ? " agreed" : "";
    return text + (form.optAgree.value == form.optDisagree.value ? " UNGROUPED" : "");
}

struct Walk {
    const char* name;
    bool license, readme;
    // Each step: the event (N next, B back, A agree, D disagree, C cancel, X close), then
    // the form described, or the exit status.
    std::vector<std::string> steps;
    bool noFontsFolder = false;
};

class Navigation : public Wizard, public ::testing::WithParamInterface<Walk> {};

TEST_P(Navigation, FollowsThePageStateMachine) {
    std::vector<PackageInput> entries = {BytesEntry("a.ttf", FontBytes("A"))};
    entries.push_back(BytesEntry("license.txt", GetParam().license ? "Terms" : ""));
    entries.push_back(BytesEntry("readme.txt", GetParam().readme ? "Read me" : ""));
    entries.push_back(DescriptorEntry({{"Readme", "True"}, {"License", "True"}}));
    ASSERT_FALSE(Load(entries));
    p.folders.fonts = GetParam().noFontsFolder ? "" : p.folders.fonts;
    std::vector<std::string> seen;
    runtime.onRefresh = [&](int) { seen.push_back(Describe(form())); };
    for (const std::string& step : GetParam().steps) {
        std::int16_t cancel = 0;
        const std::optional<ExitCode> ended = EndsProgram([&] {
            const char event = step[0];
            event == 'N'   ? frm->cmdNext_Click()
            : event == 'B' ? frm->cmdBack_Click()
            : event == 'A' ? frm->optAgree_Click()
            : event == 'D' ? frm->optDisagree_Click()
            : event == 'C' ? frm->cmdCancel_Click()
                           : frm->Form_Unload(cancel);
        });
        const std::string codes[] = {"done", "", "cancelled", "", "failed"};
        EXPECT_EQ(ended ? codes[static_cast<int>(*ended)] : Describe(form()), step.substr(2))
            << "after " << step;
    }
    if (!seen.empty()) { // the run started on the installing page, Back and Next disabled
        EXPECT_EQ(seen.front(), GetParam().license ? "installing agreed" : "installing");
    }
    EXPECT_TRUE(runtime.boxes.empty()) << "no question is asked";
}

INSTANTIATE_TEST_SUITE_P(
    Walks, Navigation,
    ::testing::Values(
        Walk{"Neither", false, false, {"B welcome next", "N finish next", "N done"}},
        Walk{"LicenceNeedsAcceptanceKeptBackAndForth",
             true,
             false,
             {"N licence back", "A licence back next agreed", "D licence back", "B welcome next",
              "N licence back", "A licence back next agreed", "B welcome next agreed",
              "N licence back next agreed", "N finish next agreed", "X done"}},
        Walk{"Readme", false, true, {"N information back next", "B welcome next", "X cancelled"}},
        Walk{"Both",
             true,
             true,
             {"A welcome next agreed", "N licence back next agreed",
              "N information back next agreed", "B licence back next agreed",
              "N information back next agreed", "C cancelled"}},
        Walk{"FailedRunEndsFailed", false, false, {"N finish next", "N failed"}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Wizard, WebLinkOpensTheAddressAndStaysOnThePage) {
    ASSERT_FALSE(Load({DescriptorEntry({{"URL", "https://example.org"}, {"URLName", "Ex"}})}));
    frm->lblLink_Click();
    EXPECT_EQ(runtime.openedUrls, Names{"https://example.org"});
    EXPECT_TRUE(form().picWelcome.visible);
}

} // namespace
} // namespace kernova::test
