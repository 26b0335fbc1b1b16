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

// Test names from the rows' own `name`.
constexpr auto RowName = [](const auto& info) { return std::string(info.param.name); };

class Wizard : public ::testing::Test {
  protected:
    // Builds the installer (none: a file that is no package) and runs the start-up
    // sequence; the exit status when it ended the program.
    std::optional<ExitCode> Load(const std::vector<PackageInput>& entries,
                                 const std::string& tail = "") {
        entries.empty() ? p.files.AddFile("/app/setup", std::string(2000, 'x'))
                        : MakeFakeInstaller(p.files, "/app/setup", entries);
        runtime.files = &p.files;
        frm = std::make_unique<FrmMain>(runtime, p.platform, StartupInfo{"/app/setup", tail});
        runtime.form = &frm->form;
        return EndsProgram([&] { frm->Form_Load(); });
    }
    MainForm& form() { return frm->form; }
    std::string Extracted(const std::string& name) { return form().ExtractPath + name; }

    FakePlatform p;
    FakeRuntime runtime;
    std::unique_ptr<FrmMain> frm;
};

TEST_F(Wizard, LoadingExtractsIntoAWatchedPrivateFolderAndShowsTheWelcomePage) {
    ASSERT_FALSE(Load({BytesEntry("Sample.ttf", "font bytes")}));
    EXPECT_EQ(form().caption, " - Kernova Installer");
    EXPECT_FALSE(form().License || form().ReadMe || form().AddFav || form().lblLink.visible ||
                 form().picPreview.visible || form().picLicense.visible || form().cmdBack.enabled ||
                 frm->frmExtracting.visible || !runtime.boxes.empty());
    EXPECT_TRUE(form().visible && form().picWelcome.visible && form().cmdNext.enabled);
    EXPECT_TRUE(!runtime.atRefresh.empty() && runtime.pumps > 0); // the notice was painted
    EXPECT_EQ(p.process.watched, Names{form().ExtractPath});
    EXPECT_EQ(p.files.Read(Extracted("Sample.ttf")), "font bytes");
    EXPECT_EQ(DescriptorPath, Extracted("kernova.xml"));
}

TEST_F(Wizard, TheDescriptorFillsTheWizardAndItsTextsAreDecoded) {
    ASSERT_FALSE(
        Load({BytesEntry("readme.txt", "unix\nline"), BytesEntry("license.txt", "\x93Z\x94\r"),
              DescriptorEntry({{"Title", "Caf\xE9"},
                               {"Readme", "True"},
                               {"License", "-1"},
                               {"URL", "https://example.org"},
                               {"URLName", "Example"},
                               {"AddFavorites", "1"}})}));
    EXPECT_EQ(form().caption + "|" + form().lblSetup.caption + "|" + form().lblFinishText.caption,
              "Caf\xC3\xA9 - Kernova Installer|This will install Caf\xC3\xA9 on your computer.|"
              "Kernova has finished installing Caf\xC3\xA9.");
    EXPECT_EQ(form().txtReadme.text + form().txtLicense.text,
              "unix\r\nline\r\n\xE2\x80\x9CZ\xE2\x80\x9D\r\n");
    EXPECT_TRUE(form().License && form().ReadMe && form().AddFav && form().lblLink.visible);
    EXPECT_EQ(form().lblLink.caption, "Example");
}

TEST_F(Wizard, FontListHoldsTtfEntriesSortedAndTheFirstIsPreviewed) {
    runtime.preview.knownNames = {"Kernova A"};
    ASSERT_FALSE(Load({BytesEntry("B.TTF", "x"), BytesEntry("c.otf", "x"),
                       BytesEntry("a.ttf", FontBytes("Kernova A")), BytesEntry("n.ttf.txt", "x"),
                       BytesEntry("d ttf", "x"), DescriptorEntry({{"ShowFontPreview", "True"}})}));
    EXPECT_EQ(form().lstFiles.items(),
              (Names{"kernova.xml", "d ttf", "n.ttf.txt", "a.ttf", "c.otf", "B.TTF"}));
    EXPECT_EQ(form().lstFonts.items(), (Names{"a.ttf", "B.TTF", "d ttf"}));
    EXPECT_EQ(runtime.preview.addedFiles, Names{Extracted("a.ttf")});
    EXPECT_EQ(runtime.preview.fontName, "Kernova A");
}

TEST_F(Wizard, PicturesLoadAndTheLastMatchWins) {
    ASSERT_FALSE(
        Load({BytesEntry("left.jpg", "\xFF\xD8\xFF jpeg"), BytesEntry("LEFT.BMP", "BM bitmap"),
              BytesEntry("left.jpeg", "no match"), BytesEntry("Top.gif", "GIF89a pic")}));
    EXPECT_EQ(runtime.loadedPictures,
              (Names{Extracted("LEFT.BMP"), Extracted("left.jpg"), Extracted("Top.gif")}));
    EXPECT_EQ(form().imgSide.picture.sourcePath + form().picLicense.picture.sourcePath,
              Extracted("left.jpg") + Extracted("Top.gif"));
    EXPECT_TRUE(form().picInstall.picture.image == form().picLicense.picture.image &&
                form().picReadme.picture.image == form().picLicense.picture.image);
}

// A package that cannot be shown, named after what is wrong with it.
struct Corrupt {
    const char* name;
    std::vector<PackageInput> entries;
};

class CorruptPackage : public Wizard, public ::testing::WithParamInterface<Corrupt> {};

TEST_P(CorruptPackage, SaysSoLeavesNothingAndNeverShowsTheWizard) {
    ASSERT_EQ(Load(GetParam().entries, "/?"), ExitCode::CorruptPackage);
    ASSERT_EQ(runtime.boxes.size(), 1u); // the usage is never shown
    EXPECT_EQ(runtime.boxes[0].text + "|" + runtime.boxes[0].title,
              "This Kernova Installer is corrupt.|Kernova Installer Error");
    EXPECT_EQ(runtime.boxes[0].icon, MessageIcon::Error);
    EXPECT_FALSE(frm->frmExtracting.loaded || form().visible);
    EXPECT_TRUE(p.files.Names("/tmp").empty());
    EXPECT_EQ(p.files.Names("/app"), Names{"setup"});
}

std::vector<PackageInput> WithTag(const char* tag, const char* value) {
    return {BytesEntry("readme.txt", "r"), BytesEntry("license.txt", "l"),
            DescriptorEntry({{tag, value}})};
}

const Corrupt kCorrupt[] = {
    {"NoPackageAtAll", {}},
    {"NoReadmeToShow", {DescriptorEntry({{"Readme", "True"}})}},
    {"NoLicenseToShow", {BytesEntry("readme.txt", "r"), DescriptorEntry({{"License", "1"}})}},
    {"NameShorterThanFourCharacters", {BytesEntry("a.b", "x")}},
    {"SidePictureIsNoPicture", {BytesEntry("left.bmp", "text")}},
    {"EmptyTopPicture", {BytesEntry("TOP.png", "")}},
    {"ReadmeNoBoolean", WithTag("Readme", "yes")},
    {"AddFavoritesNoBoolean", WithTag("AddFavorites", "1x")},
    {"ShowFontPreviewNoBoolean", WithTag("showfontpreview", "on")}};

INSTANTIATE_TEST_SUITE_P(Packages, CorruptPackage, ::testing::ValuesIn(kCorrupt), RowName);

// Only the last two characters of the trimmed, upper-cased tail count. A silent run that
// fails ends with its status, showing nothing.
struct Tail {
    const char* name;
    const char* tail;
    CommandLineSwitch which;
    bool fontsReadOnly = false;
};

class CommandLine : public Wizard, public ::testing::WithParamInterface<Tail> {};

TEST_P(CommandLine, FormLoadActsOnTheSwitch) {
    using enum CommandLineSwitch;
    const CommandLineSwitch which = GetParam().which;
    p.files.readOnly = {GetParam().fontsReadOnly ? "/fonts" : ""};
    const std::optional<ExitCode> ended =
        Load({BytesEntry("Mono.ttf", FontBytes("Mono")), BytesEntry("notes.dat", "\1\2")},
             GetParam().tail);
    EXPECT_EQ(ended, which == None              ? std::nullopt
                     : GetParam().fontsReadOnly ? std::optional(ExitCode::InstallFailed)
                                                : std::optional(ExitCode::Done));
    EXPECT_EQ(form().visible && form().picWelcome.visible, which == None);
    EXPECT_EQ(p.files.Names("/app"),
              which == Extract ? (Names{"Mono.ttf", "notes.dat", "setup"}) : Names{"setup"});
    EXPECT_EQ(p.fonts.registered.size(), which == Install && !GetParam().fontsReadOnly);
    ASSERT_EQ(runtime.boxes.size(), which == Usage ? 1u : 0u);
    EXPECT_TRUE(which != Usage || runtime.boxes[0].text == kUsageText);
    EXPECT_EQ(p.files.Names("/tmp").empty(), ended.has_value()); // the ending cleaned up
}

const Tail kTails[] = {{"None", "", CommandLineSwitch::None},
                       {"ExtractPadded", "  /e  ", CommandLineSwitch::Extract},
                       {"InstallThenExtract", "/I /E", CommandLineSwitch::Extract},
                       {"ExtractThenInstall", "/E /i", CommandLineSwitch::Install},
                       {"InstallFails", "/I", CommandLineSwitch::Install, true},
                       {"Usage", "x/?", CommandLineSwitch::Usage},
                       {"ExtractAndMore", "/E2", CommandLineSwitch::None},
                       {"TabAfter", "/E\t", CommandLineSwitch::None},
                       {"TabBefore", "\t/E", CommandLineSwitch::Extract}};

INSTANTIATE_TEST_SUITE_P(Tails, CommandLine, ::testing::ValuesIn(kTails), RowName);

// The visible pages and what is on: "licence back next agreed".
std::string Describe(const MainForm& form) {
    std::string text;
    for (const auto& [visible, name] : {std::pair{form.picWelcome.visible, "welcome"},
                                        {form.picLicense.visible, "licence"},
                                        {form.picReadme.visible, "information"},
                                        {form.picInstall.visible, "installing"},
                                        {form.picFinish.visible, "finish"}}) {
        text += visible ? std::string(text.empty() ? "" : "+") + name : "";
    }
    text +=
        std::string(form.cmdBack.enabled ? " back" : "") + (form.cmdNext.enabled ? " next" : "");
    return text + (form.optAgree.value ? " agreed" : "") +
           (form.optAgree.value == form.optDisagree.value ? " UNGROUPED" : "");
}

// With a licence or an information text or not (or no fonts folder), each step: the
// event (N next, B back, A agree, D disagree, C cancel, X close), then the form described
// or the exit status.
struct Walk {
    const char* name;
    bool license, readme;
    std::vector<std::string> steps;
    bool noFontsFolder = false;
};

class Navigation : public Wizard, public ::testing::WithParamInterface<Walk> {};

TEST_P(Navigation, FollowsThePageStateMachine) {
    ASSERT_FALSE(Load({BytesEntry("a.ttf", FontBytes("A")),
                       BytesEntry("license.txt", GetParam().license ? "T" : ""),
                       BytesEntry("readme.txt", GetParam().readme ? "R" : ""),
                       DescriptorEntry({{"Readme", "True"}, {"License", "True"}})}));
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
            << step;
        EXPECT_EQ(cancel, 0) << "closing is never refused";
    }
    // The run started on the installing page with Back and Next disabled, asking nothing;
    // leaving before it ends at once and cleans up.
    EXPECT_EQ(seen.empty() ? "" : seen.front(), seen.empty()         ? ""
                                                : GetParam().license ? "installing agreed"
                                                                     : "installing");
    EXPECT_TRUE(runtime.boxes.empty() && (!seen.empty() || p.files.Names("/tmp").empty()));
}

const Walk kWalks[] = {
    {"Plain", false, false, {"B welcome next", "N finish next", "N done"}},
    {"Licence",
     true,
     false,
     {"N licence back", "A licence back next agreed", "D licence back", "B welcome next",
      "N licence back", "A licence back next agreed", "B welcome next agreed",
      "N licence back next agreed", "N finish next agreed", "X done"}},
    {"Information",
     false,
     true,
     {"N information back next", "B welcome next", "N information back next", "N finish next"}},
    {"LicenceAndInformation",
     true,
     true,
     {"A welcome next agreed", "N licence back next agreed", "N information back next agreed",
      "B licence back next agreed", "N information back next agreed", "N finish next agreed"}},
    {"NoFontsFolder", false, false, {"N finish next", "N failed"}, true},
    {"CancelOnWelcome", false, false, {"C cancelled"}},
    {"CloseOnLicence", true, false, {"N licence back", "X cancelled"}}};

INSTANTIATE_TEST_SUITE_P(Walks, Navigation, ::testing::ValuesIn(kWalks), RowName);

} // namespace
} // namespace kernova::test
