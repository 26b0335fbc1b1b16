// The wizard on the fakes: package loading, the command line and the page state machine.
#include "app/command_line.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_runtime.h"
#include "fakes/package_bytes.h"
#include "platform/path.h"
#include "ui/frm_main.h"

#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace kernova::test {
namespace {

// Table rows are named by their own `name`, in test names and in messages alike.
struct Row {
    const char* name;
    friend std::ostream& operator<<(std::ostream& out, const Row& row) { return out << row.name; }
};
constexpr auto RowName = [](const auto& info) { return std::string(info.param.name); };

class Wizard : public ::testing::Test {
  protected:
    // Builds the installer (none: a file that is no package) and runs the start-up
    // sequence; the exit status when it ended the program.
    std::optional<ExitCode> Load(const std::vector<PackageInput>& entries,
                                 const std::string& tail = "",
                                 const std::function<void(FakePlatform&)>& fault = {}) {
        entries.empty() ? p.files.AddFile("/app/setup", std::string(2000, 'x'))
                        : MakeFakeInstaller(p.files, "/app/setup", entries);
        fault ? fault(p) : void();
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

// The fonts are the ".ttf" entries and the ".otf", ".ttc" and ".otc" ones that hold an
// OpenType font or collection, sorted, the first one previewed; of the pictures the last
// match wins.
TEST_F(Wizard, TheDescriptorFontsAndPicturesFillTheWizardAndItsTextsAreDecoded) {
    runtime.preview.knownNames = {"Kernova A"};
    const std::string collection("ttcf\0\1\0\0\0\0\0\1\0\0\0\x10true", 20);
    ASSERT_FALSE(Load({BytesEntry("B.TTF", "x"), BytesEntry("c.otf", "x"),
                       BytesEntry("e.otf", "OTTO cff font"), BytesEntry("f.TTC", collection),
                       BytesEntry("a.ttf", FontBytes("Kernova A")), BytesEntry("n.ttf.txt", "x"),
                       BytesEntry("d ttf", "x"), BytesEntry("left.jpg", "\xFF\xD8\xFF jpeg"),
                       BytesEntry("LEFT.BMP", "BM bitmap"), BytesEntry("left.jpeg", "no match"),
                       BytesEntry("Top.gif", "GIF89a pic"), BytesEntry("readme.txt", "unix\nline"),
                       BytesEntry("license.txt", "\x93Z\x94\r"),
                       DescriptorEntry({{"Title", "Caf\xE9"},
                                        {"Readme", "True"},
                                        {"License", "-1"},
                                        {"URL", "https://example.org"},
                                        {"URLName", "Example"},
                                        {"AddFavorites", "1"},
                                        {"ShowFontPreview", "True"}})}));
    EXPECT_EQ(form().caption + "|" + form().lblSetup.caption + "|" + form().lblFinishText.caption,
              "Caf\xC3\xA9 - Kernova Installer|This will install Caf\xC3\xA9 on your computer.|"
              "Kernova has finished installing Caf\xC3\xA9.");
    EXPECT_EQ(form().txtReadme.text + form().txtLicense.text,
              "unix\r\nline\r\n\xE2\x80\x9CZ\xE2\x80\x9D\r\n");
    EXPECT_TRUE(form().License && form().ReadMe && form().AddFav && form().lblLink.visible);
    EXPECT_EQ(form().lblLink.caption, "Example");
    EXPECT_EQ(form().lstFonts.items(), (Names{"a.ttf", "B.TTF", "d ttf", "e.otf", "f.TTC"}));
    EXPECT_EQ(runtime.preview.fontName, "Kernova A");
    EXPECT_EQ(form().imgSide.picture.sourcePath + form().picLicense.picture.sourcePath,
              Extracted("left.jpg") + Extracted("Top.gif"));
    EXPECT_TRUE(form().picInstall.picture.image == form().picLicense.picture.image &&
                form().picReadme.picture.image == form().picLicense.picture.image);
}

// A package that cannot be shown, named after what is wrong with it or with the machine.
struct Unreadable : Row {
    std::vector<PackageInput> entries;
    const char* tail = "/?"; // a silent run: the usage is never shown
    std::function<void(FakePlatform&)> fault = {};
    ExitCode status = ExitCode::CorruptPackage;
    std::string says = "This Kernova Installer is corrupt.";
};

class UnreadablePackage : public Wizard, public ::testing::WithParamInterface<Unreadable> {};

// A silent run prints why, the wizard shows it in a box.
TEST_P(UnreadablePackage, SaysWhyLeavesNothingAndNeverShowsTheWizard) {
    const Unreadable& row = GetParam();
    ASSERT_EQ(Load(row.entries, row.tail, row.fault), row.status);
    Names told = runtime.errors;
    for (const FakeRuntime::Box& box : runtime.boxes) {
        EXPECT_TRUE(box.icon == MessageIcon::Error && box.title == "Kernova Installer Error");
        told.push_back(box.text + (*row.tail == '\0' ? "" : " (in a box)"));
    }
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].substr(0, row.says.size()), row.says);
    EXPECT_EQ(runtime.errors.empty(), *row.tail == '\0');
    EXPECT_FALSE(frm->frmExtracting.loaded || form().visible);
    EXPECT_TRUE(p.files.Names("/tmp").empty());
    EXPECT_EQ(p.files.Names("/app"), Names{"setup"});
}

const std::vector<PackageInput> kOneFont = {BytesEntry("a.ttf", "x")};
const Unreadable kUnreadable[] = {
    {"NoPackageAtAll", {}, ""},
    {"NoReadmeToShow", {DescriptorEntry({{"Readme", "True"}})}},
    {"NoLicenseToExtract",
     {BytesEntry("readme.txt", "r"), DescriptorEntry({{"Readme", "1"}, {"License", "1"}})},
     "/E"},
    {"NameShorterThanFourCharacters", {BytesEntry("a.b", "x")}},
    {"SidePictureIsNoPicture", {BytesEntry("left.bmp", "text")}, ""},
    {"EmptyTopPicture", {BytesEntry("TOP.png", "")}},
    {"ReadmeNoBoolean", {BytesEntry("readme.txt", "r"), DescriptorEntry({{"Readme", "yes"}})}},
    {"AddFavoritesNoBoolean", {DescriptorEntry({{"AddFavorites", "1x"}})}},
    {"ShowFontPreviewNoBoolean", {DescriptorEntry({{"showfontpreview", "on"}})}},
    {"InstallerUnreadable", kOneFont, "/I",
     [](FakePlatform& p) { p.files.failingReads.insert("/app/setup"); }, ExitCode::EnvironmentFault,
     "cannot read the installer file /app/setup: Input/output error"},
    {"NoTempFolder", kOneFont, "", [](FakePlatform& p) { p.process.temp = "/gone"; },
     ExitCode::EnvironmentFault, "cannot create a folder in /gone: No such file or directory"},
    {"TempFolderReadOnly", kOneFont, "/E", [](FakePlatform& p) { p.files.readOnly = {"/tmp"}; },
     ExitCode::EnvironmentFault, "cannot create a folder in /tmp: Permission denied"},
    {"TempFolderFull", kOneFont, "/I", [](FakePlatform& p) { p.files.freeSpace = 0; },
     ExitCode::EnvironmentFault,
     "cannot write a.ttf to " + JoinPath("/tmp", "kernova-1") + ": No space left on"}};

INSTANTIATE_TEST_SUITE_P(Packages, UnreadablePackage, ::testing::ValuesIn(kUnreadable), RowName);

// Only the last two characters of the trimmed, upper-cased tail count. A silent run that
// cannot write a file (into a read-only folder) tells each and ends with the machine's
// status, showing nothing. /E writes the entries straight beside the installer, never into
// the private folder.
struct Tail : Row {
    const char* tail;
    CommandLineSwitch which;
    std::string readOnly = "";
};

class CommandLine : public Wizard, public ::testing::WithParamInterface<Tail> {};

TEST_P(CommandLine, FormLoadExtractsIntoAWatchedFolderAndActsOnTheSwitch) {
    using enum CommandLineSwitch;
    const CommandLineSwitch which = GetParam().which;
    const std::string readOnly = GetParam().readOnly;
    const std::optional<ExitCode> ended =
        Load({BytesEntry("Mono.ttf", FontBytes("Mono")), BytesEntry("notes.dat", "\1\2")},
             GetParam().tail, [&](FakePlatform& p) {
                 p.files.readOnly = {readOnly};
                 if (which == Extract) { // it gets nothing of this package: no descriptor
                     p.files.readOnly.insert(JoinPath("/tmp", "kernova-1"));
                 }
             });
    EXPECT_EQ(ended, which == None       ? std::nullopt
                     : !readOnly.empty() ? std::optional(ExitCode::EnvironmentFault)
                                         : std::optional(ExitCode::Done));
    EXPECT_EQ(form().visible && form().picWelcome.visible, which == None);
    EXPECT_EQ(p.files.Names("/app"), which == Extract && readOnly.empty()
                                         ? (Names{"Mono.ttf", "notes.dat", "setup"})
                                         : Names{"setup"});
    EXPECT_EQ(p.fonts.registered.size(), which == Install && readOnly.empty() ? 1u : 0u);
    const Names unwritten = {"cannot write notes.dat to /app: Permission denied",
                             "cannot write Mono.ttf to /app: Permission denied"};
    const Names uncopied = {"cannot copy Mono.ttf to /fonts: Permission denied",
                            "no font of  could be installed"};
    EXPECT_EQ(runtime.errors, readOnly.empty() ? Names{} : which == Install ? uncopied : unwritten);
    ASSERT_EQ(runtime.boxes.size(), which == Usage ? 1u : 0u);
    EXPECT_TRUE(which != Usage || runtime.boxes[0].text == kUsageText);
    EXPECT_EQ(p.files.Names("/tmp").empty(), ended.has_value()); // the ending cleaned up
    // Whatever the switch, the package was extracted under a notice painted first, into a
    // watched folder; without a descriptor nothing optional is on.
    EXPECT_TRUE(!runtime.atRefresh.empty() && !frm->frmExtracting.visible);
    EXPECT_EQ(p.process.watched, Names{form().ExtractPath});
    EXPECT_FALSE(form().AddFav || form().lblLink.visible || form().picPreview.visible);
}

const Tail kTails[] = {{"None", "", CommandLineSwitch::None},
                       {"ExtractPadded", "  /e  ", CommandLineSwitch::Extract},
                       {"InstallThenExtract", "/I /E", CommandLineSwitch::Extract},
                       {"ExtractThenInstall", "/E /i", CommandLineSwitch::Install},
                       {"InstallFails", "/I", CommandLineSwitch::Install, "/fonts"},
                       {"ExtractFails", "/E", CommandLineSwitch::Extract, "/app"},
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
    return text + (form.cmdBack.enabled ? " back" : "") + (form.cmdNext.enabled ? " next" : "") +
           (form.optAgree.value ? " agreed" : "") +
           (form.optAgree.value == form.optDisagree.value ? " UNGROUPED" : "");
}

// With a licence or an information text or not (or no fonts folder), each step: the
// event (N next, B back, A agree, D disagree, C cancel, X close), then the form described
// (after "installing >": as the run started) or the exit status; the steps are parted by "|".
struct Walk : Row {
    bool license, readme;
    const char* steps;
    bool noFontsFolder = false;
};

class Navigation : public Wizard, public ::testing::WithParamInterface<Walk> {};

TEST_P(Navigation, FollowsThePageStateMachine) {
    ASSERT_FALSE(Load({BytesEntry("a.ttf", FontBytes("A")),
                       BytesEntry("license.txt", GetParam().license ? "T" : ""),
                       BytesEntry("readme.txt", GetParam().readme ? "R" : ""),
                       DescriptorEntry({{"Readme", "True"}, {"License", "True"}})}));
    p.folders.fonts = GetParam().noFontsFolder ? "" : p.folders.fonts;
    std::string during; // the first repaint of a step: the run starting
    runtime.onRefresh = [&](int) { during = during.empty() ? Describe(form()) + " > " : during; };
    std::istringstream steps(GetParam().steps);
    for (std::string step; std::getline(steps, step, '|'); during.clear()) {
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
        const std::string codes[] = {"done", "", "cancelled", "", "failed", "machine's fault"};
        const std::string left = p.files.Names("/tmp").empty() ? "" : " LEAVING FILES";
        EXPECT_EQ(during + (ended ? codes[static_cast<int>(*ended)] + left : Describe(form())),
                  step.substr(2));
        EXPECT_EQ(cancel, 0) << "closing is never refused";
    }
    EXPECT_EQ(runtime.boxes.size(), GetParam().noFontsFolder ? 1u : 0u); // why it failed
}

const Walk kWalks[] = {
    {"Plain", false, false, "B welcome next|N installing > finish next|N done"},
    {"Licence", true, false,
     "N licence back|A licence back next agreed|D licence back|B welcome next|N licence back|"
     "A licence back next agreed|B welcome next agreed|N licence back next agreed|"
     "N installing agreed > finish next agreed|X done"},
    {"Information", false, true,
     "N information back next|B welcome next|N information back next|"
     "N installing > finish next"},
    {"LicenceAndInformation", true, true,
     "A welcome next agreed|N licence back next agreed|N information back next agreed|"
     "B licence back next agreed|N information back next agreed|"
     "N installing agreed > finish next agreed"},
    {"NoFontsFolder", false, false, "N installing > finish next|N machine's fault", true},
    {"CancelOnWelcome", false, false, "C cancelled"},
    {"CloseOnLicence", true, false, "N licence back|X cancelled"}};

INSTANTIATE_TEST_SUITE_P(Walks, Navigation, ::testing::ValuesIn(kWalks), RowName);

} // namespace
} // namespace kernova::test
