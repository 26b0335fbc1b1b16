// Package loading over real installers made by the package writer.
#include "config/descriptor.h"
#include "platform/message_box.h"
#include "support/fake_runtime.h"
#include "support/sandbox.h"
#include "support/wizard_package.h"
#include "ui/frm_main.h"

#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using test::BytesEntry;
using test::DescriptorEntry;
using test::EndsProgram;
using test::FolderContents;

class PackageLoadingTest : public ::testing::Test {
  protected:
    test::Sandbox sandbox;
    test::FakeRuntime runtime;
    fs::path appFolder = sandbox.work() / "app";
    std::unique_ptr<FrmMain> frm;

    // Builds the installer and runs the start-up sequence; the exit status when it ended.
    std::optional<ExitCode> Load(const std::vector<PackageInput>& entries) {
        const fs::path installer = test::MakeInstaller(appFolder, entries);
        frm = std::make_unique<FrmMain>(runtime, StartupInfo{installer.string(), ""});
        frm->Form_Initialize();
        return EndsProgram([&] { frm->Form_Load(); });
    }

    MainForm& form() { return frm->form; }
};

TEST_F(PackageLoadingTest, WithoutDescriptorShowsOnlyTheWelcomePageWithAnEmptyTitle) {
    ASSERT_FALSE(Load({BytesEntry("Sample.ttf", "font bytes")}));
    EXPECT_EQ(form().caption, " - Kernova Installer");
    EXPECT_EQ(form().lblWelcome.caption, "Welcome to Setup for ");
    EXPECT_FALSE(form().License || form().ReadMe || form().AddFav);
    EXPECT_FALSE(form().lblLink.visible || form().picPreview.visible ||
                 form().lblFontPreview.visible);
    EXPECT_TRUE(runtime.preview.addedFiles.empty());
    EXPECT_TRUE(runtime.boxes.empty());
    EXPECT_TRUE(form().imgSide.picture.empty() && form().picLicense.picture.empty() &&
                form().picReadme.picture.empty() && form().picInstall.picture.empty());
    EXPECT_TRUE(form().visible && form().picWelcome.visible);
    EXPECT_FALSE(form().picLicense.visible || form().picReadme.visible ||
                 form().picInstall.visible || form().picFinish.visible);
    EXPECT_FALSE(form().cmdBack.enabled);
    EXPECT_TRUE(form().cmdNext.enabled);
    EXPECT_TRUE(form().optDisagree.value);
    EXPECT_FALSE(frm->frmExtracting.loaded || frm->frmExtracting.visible);
    EXPECT_EQ(form().AppPath, appFolder.string() + "/");
    // The notice was painted before the work, and extraction let the window breathe.
    EXPECT_GE(runtime.refreshes, 1);
    EXPECT_GT(runtime.yields, 0);
    // Extracted into a private folder (owner only) in the temporary folder.
    const fs::path extractPath = form().ExtractPath;
    EXPECT_EQ(extractPath.parent_path().parent_path(), sandbox.tmp());
    EXPECT_EQ(DescriptorPath, form().ExtractPath + "kernova.xml");
    EXPECT_EQ(test::ReadFileBytes(extractPath / "Sample.ttf"), "font bytes");
    EXPECT_EQ(fs::status(extractPath.parent_path()).permissions() & fs::perms::all,
              fs::perms::owner_all);
}

TEST_F(PackageLoadingTest, FullDescriptorFillsTheWizardAndDecodesItsTexts) {
    ASSERT_FALSE(Load({
        BytesEntry("Sample.ttf", "x"),
        BytesEntry("readme.txt", "unix\nline ends\nno final end"),
        BytesEntry("license.txt", "\x93"
                                  "Fa\xE7"
                                  "ade\x94 \x80 5\r"),
        DescriptorEntry({{"Version", "Kernova 5"},
                         {"Title", "Caf\xE9 Sans"},
                         {"Readme", "True"},
                         {"License", "True"},
                         {"URL", "https://example.org/fonts"},
                         {"URLName", "Example Fonts"},
                         {"AddFavorites", "True"},
                         {"ShowFontPreview", "False"}}),
    }));
    EXPECT_EQ(form().RavelinName, "Caf\xC3\xA9 Sans");
    EXPECT_EQ(form().PackageTitle, "Caf\xC3\xA9 Sans");
    EXPECT_EQ(form().caption, "Caf\xC3\xA9 Sans - Kernova Installer");
    EXPECT_EQ(form().lblWelcome.caption, "Welcome to Setup for Caf\xC3\xA9 Sans");
    EXPECT_EQ(form().lblSetup.caption, "This will install Caf\xC3\xA9 Sans on your computer.");
    EXPECT_EQ(form().lblFinishText.caption, "Kernova has finished installing Caf\xC3\xA9 Sans.");
    EXPECT_EQ(form().txtReadme.text, "unix\r\nline ends\r\nno final end\r\n");
    EXPECT_EQ(form().txtLicense.text, "\xE2\x80\x9C"
                                      "Fa\xC3\xA7"
                                      "ade\xE2\x80\x9D \xE2\x82\xAC 5\r\n");
    EXPECT_TRUE(form().License && form().ReadMe && form().AddFav);
    EXPECT_EQ(form().URL, "https://example.org/fonts");
    EXPECT_EQ(form().URLTitle, "Example Fonts");
    EXPECT_TRUE(form().lblLink.visible);
    EXPECT_EQ(form().lblLink.caption, "Example Fonts");
    EXPECT_FALSE(form().picPreview.visible);
}

TEST_F(PackageLoadingTest, TextsNotAskedForOrEmptyAreNotShownAndTheLinkNeedsAName) {
    ASSERT_FALSE(Load({BytesEntry("readme.txt", ""), BytesEntry("license.txt", "text"),
                       DescriptorEntry({{"Readme", "True"},
                                        {"License", "0"},
                                        {"URL", "https://example.org"},
                                        {"URLName", ""}})}));
    EXPECT_TRUE(form().txtReadme.text.empty());
    EXPECT_TRUE(form().txtLicense.text.empty());
    EXPECT_FALSE(form().ReadMe) << "a true tag with an empty read-me skips the page";
    EXPECT_FALSE(form().License);
    EXPECT_FALSE(form().lblLink.visible);
    EXPECT_EQ(form().lblLink.caption, "LINK");
    EXPECT_EQ(form().URL, "https://example.org");
}

TEST_F(PackageLoadingTest, FontListHoldsTtfEntriesSortedWithoutRegardToCaseAndFirstIsPreviewed) {
    ASSERT_FALSE(Load({BytesEntry("b.TTF", "x"), BytesEntry("c.otf", "x"), BytesEntry("A.ttf", "x"),
                       BytesEntry("notes.ttf.txt", "x"), BytesEntry("d ttf", "x"),
                       DescriptorEntry({{"ShowFontPreview", "True"}})}));
    EXPECT_EQ(form().lstFiles.items(),
              (std::vector<std::string>{"kernova.xml", "d ttf", "notes.ttf.txt", "A.ttf", "c.otf",
                                        "b.TTF"}));
    EXPECT_EQ(form().lstFonts.items(), (std::vector<std::string>{"A.ttf", "b.TTF", "d ttf"}));
    EXPECT_TRUE(form().lblFontPreview.visible);
    EXPECT_TRUE(form().picPreview.visible);
    EXPECT_EQ(runtime.preview.addedFiles, std::vector<std::string>{form().ExtractPath + "A.ttf"});
    EXPECT_EQ(runtime.preview.printed.size(), 3u);
}

TEST_F(PackageLoadingTest, PicturesLoadIntoSideAndHeadersAndTheHighestIndexWins) {
    // Stored first means read last: left.jpg gets the highest index.
    ASSERT_FALSE(
        Load({BytesEntry("left.jpg", "\xFF\xD8\xFF jpeg"), BytesEntry("LEFT.BMP", "BM bitmap"),
              BytesEntry("left.jpeg", "not a picture, and no match either"),
              BytesEntry("Top.gif", "GIF89a picture"), DescriptorEntry({})}));
    EXPECT_EQ(runtime.loadedPictures, (std::vector<std::string>{form().ExtractPath + "LEFT.BMP",
                                                                form().ExtractPath + "left.jpg",
                                                                form().ExtractPath + "Top.gif"}));
    EXPECT_EQ(form().imgSide.picture.sourcePath, form().ExtractPath + "left.jpg");
    EXPECT_EQ(form().picLicense.picture.sourcePath, form().ExtractPath + "Top.gif");
    EXPECT_EQ(form().picReadme.picture.image, form().picLicense.picture.image);
    EXPECT_EQ(form().picInstall.picture.image, form().picLicense.picture.image);
    EXPECT_TRUE(form().picWelcome.picture.empty());
}

struct CorruptCase {
    const char* name;
    std::vector<PackageInput> entries;
};

void PrintTo(const CorruptCase& c, std::ostream* out) {
    *out << c.name;
}

// (A file that holds no package at all is among the command line tests.)
class CorruptPackageTest : public PackageLoadingTest,
                           public ::testing::WithParamInterface<CorruptCase> {};

TEST_P(CorruptPackageTest, SaysSoLeavesNothingAndNeverShowsTheWizard) {
    ASSERT_EQ(Load(GetParam().entries), ExitCode::CorruptPackage);
    ASSERT_EQ(runtime.boxes.size(), 1u);
    EXPECT_EQ(runtime.boxes[0].text, "This Kernova Installer is corrupt.");
    EXPECT_EQ(runtime.boxes[0].title, "Kernova Installer Error");
    EXPECT_EQ(runtime.boxes[0].style, MB_ICONERROR | MB_OK);
    EXPECT_FALSE(frm->frmExtracting.loaded || frm->frmExtracting.visible);
    EXPECT_FALSE(form().visible);
    // Whatever was extracted is gone, private folder included; nothing beside the installer.
    EXPECT_TRUE(FolderContents(sandbox.tmp()).empty());
    EXPECT_EQ(FolderContents(appFolder), std::vector<std::string>{"setup-kernova"});
}

std::vector<PackageInput> WithTag(const char* tag, const char* value) {
    return {BytesEntry("readme.txt", "r"), BytesEntry("license.txt", "l"),
            DescriptorEntry({{tag, value}})};
}

INSTANTIATE_TEST_SUITE_P(
    Packages, CorruptPackageTest,
    ::testing::Values(
        CorruptCase{"ReadmeWithoutFile",
                    {BytesEntry("Sample.ttf", "x"), DescriptorEntry({{"Readme", "True"}})}},
        CorruptCase{"LicenseWithoutFile",
                    {BytesEntry("readme.txt", "r"),
                     DescriptorEntry({{"Readme", "True"}, {"License", "-1"}})}},
        CorruptCase{"NameShorterThanFour", {BytesEntry("a.b", "x"), DescriptorEntry({})}},
        CorruptCase{"NamedTtf", {BytesEntry("TTF", "x"), DescriptorEntry({})}},
        CorruptCase{"SideNoPicture", {BytesEntry("left.bmp", "just text"), DescriptorEntry({})}},
        CorruptCase{"TopNoPicture", {BytesEntry("TOP.png", ""), DescriptorEntry({})}},
        CorruptCase{"ReadmeYes", WithTag("Readme", "yes")},
        CorruptCase{"LicenseTru", WithTag("License", "Tru")},
        CorruptCase{"AddFavorites1x", WithTag("AddFavorites", "1x")},
        CorruptCase{"ShowFontPreviewOn", WithTag("ShowFontPreview", "on")},
        CorruptCase{"LowerCaseTag", WithTag("addfavorites", "enabled")}),
    [](const auto& info) { return std::string(info.param.name); });

// The welcome heading: sized to its text when that fits the page (equal counts as
// fitting), else wrapped in a taller label with the text below moved down.
class WelcomeHeadingTest : public PackageLoadingTest,
                           public ::testing::WithParamInterface<std::pair<int, bool>> {};

TEST_P(WelcomeHeadingTest, FitsOrWraps) {
    const auto [widthPx, wraps] = GetParam();
    std::string measuredText;
    FontSpec measuredFont;
    runtime.measure = [&](const FontSpec& font, const std::string& text) {
        measuredFont = font;
        measuredText = text;
        return widthPx;
    };
    ASSERT_FALSE(Load({BytesEntry("Sample.ttf", "x"), DescriptorEntry({{"Title", "Title"}})}));
    EXPECT_EQ(measuredText, "Welcome to Setup for Title");
    EXPECT_EQ(measuredFont.face, "Verdana");
    EXPECT_TRUE(measuredFont.bold);
    const Label& heading = form().lblWelcome;
    // The page is 309 pixels wide and the heading sits 8 pixels in: 293 pixels are free.
    EXPECT_EQ(heading.autoSize, !wraps);
    EXPECT_EQ(heading.rect.width, (wraps ? 293 : widthPx) * 15);
    EXPECT_EQ(heading.rect.height, wraps ? 100 * 15 : 270);
    EXPECT_EQ(form().lblSetup.rect.top, wraps ? 56 * 15 : 600);
    EXPECT_EQ(heading.rect.left, 120);
    if (wraps) {
        EXPECT_TRUE(heading.wordWrap);
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, WelcomeHeadingTest,
                         ::testing::Values(std::pair{293, false}, std::pair{294, true}));

// Told to stop in the middle of the extraction, the installer leaves nothing behind.
class StopDuringExtraction : public test::FakeRuntime {
  public:
    void Yield() override {
        FakeRuntime::Yield();
        if (yields == 3) {
            ::raise(SIGTERM);
        }
    }
};

TEST(PackageLoadingSignals, TerminationDuringExtractionRemovesTheFolder) {
    test::Sandbox sandbox;
    const fs::path installer = test::MakeInstaller(
        sandbox.work(), {BytesEntry("a.ttf", std::string(100000, 'a')),
                         BytesEntry("b.ttf", std::string(100000, 'b')), DescriptorEntry({})});
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        StopDuringExtraction runtime;
        FrmMain frm(runtime, {installer.string(), ""});
        EndsProgram([&] { frm.Form_Load(); });
        ::_exit(0); // not reached: the signal ends the process
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM);
    EXPECT_TRUE(FolderContents(sandbox.tmp()).empty());
}

} // namespace
} // namespace kernova
