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
using Tags = std::vector<std::pair<std::string, std::string>>;

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

    void ExpectCorrupt(const std::vector<PackageInput>& entries) {
        ASSERT_EQ(Load(entries), ExitCode::CorruptPackage);
        ASSERT_EQ(runtime.boxes.size(), 1u);
        EXPECT_EQ(runtime.boxes[0].text, "This Kernova Installer is corrupt.");
        EXPECT_EQ(runtime.boxes[0].title, "Kernova Installer Error");
        EXPECT_EQ(runtime.boxes[0].style, MB_ICONERROR | MB_OK);
        EXPECT_FALSE(frm->frmExtracting.loaded);
        EXPECT_FALSE(frm->frmExtracting.visible);
        EXPECT_FALSE(form().visible) << "the wizard is never shown for a corrupt package";
        // Whatever was extracted is gone, private folder included.
        EXPECT_TRUE(FolderContents(sandbox.tmp()).empty());
        // Nothing was written beside the installer either.
        EXPECT_EQ(FolderContents(appFolder), std::vector<std::string>{"setup-kernova"});
    }
};

TEST_F(PackageLoadingTest, WithoutDescriptorLoadsWithAnEmptyTitle) {
    ASSERT_FALSE(Load({BytesEntry("Sample.ttf", "font bytes")}));
    EXPECT_EQ(form().caption, " - Kernova Installer");
    EXPECT_EQ(form().lblWelcome.caption, "Welcome to Setup for ");
    EXPECT_EQ(form().lblSetup.caption, "This will install  on your computer.");
    EXPECT_EQ(form().lblFinishText.caption, "Kernova has finished installing .");
    EXPECT_TRUE(form().txtReadme.text.empty());
    EXPECT_TRUE(form().txtLicense.text.empty());
    EXPECT_FALSE(form().License);
    EXPECT_FALSE(form().ReadMe);
    EXPECT_FALSE(form().AddFav);
    EXPECT_FALSE(form().lblLink.visible);
    EXPECT_FALSE(form().picPreview.visible);
    EXPECT_FALSE(form().lblFontPreview.visible);
    EXPECT_TRUE(runtime.preview.addedFiles.empty());
    EXPECT_TRUE(runtime.boxes.empty());
}

TEST_F(PackageLoadingTest, StartUpShowsTheWelcomePageOnly) {
    ASSERT_FALSE(Load({BytesEntry("Sample.ttf", "x"), DescriptorEntry({{"Title", "Pack"}})}));
    EXPECT_TRUE(form().visible);
    EXPECT_TRUE(form().picWelcome.visible);
    EXPECT_FALSE(form().picLicense.visible);
    EXPECT_FALSE(form().picReadme.visible);
    EXPECT_FALSE(form().picInstall.visible);
    EXPECT_FALSE(form().picFinish.visible);
    EXPECT_FALSE(form().cmdBack.enabled);
    EXPECT_TRUE(form().cmdNext.enabled);
    EXPECT_TRUE(form().optDisagree.value);
    EXPECT_FALSE(frm->frmExtracting.loaded);
    EXPECT_FALSE(frm->frmExtracting.visible);
    EXPECT_EQ(form().AppPath, appFolder.string() + "/");
    // The notice was painted before the work, and extraction let the window breathe.
    EXPECT_GE(runtime.refreshes, 1);
    EXPECT_GT(runtime.yields, 0);
}

TEST_F(PackageLoadingTest, ExtractsIntoAPrivateFolderAndReadsTheDescriptorThere) {
    ASSERT_FALSE(Load({BytesEntry("Sample.ttf", "x"), DescriptorEntry({{"Title", "Pack"}})}));
    const fs::path extractPath = form().ExtractPath;
    EXPECT_EQ(extractPath.parent_path().parent_path(), sandbox.tmp());
    EXPECT_EQ(form().ExtractPath.back(), '/');
    EXPECT_EQ(DescriptorPath, form().ExtractPath + "kernova.xml");
    EXPECT_EQ(test::ReadFileBytes(extractPath / "Sample.ttf"), "x");
    EXPECT_EQ(fs::status(extractPath.parent_path()).permissions() & fs::perms::all,
              fs::perms::owner_all);
}

TEST_F(PackageLoadingTest, FullDescriptorFillsTheWizard) {
    ASSERT_FALSE(Load({
        BytesEntry("Sample.ttf", "x"),
        BytesEntry("readme.txt", "Read this.\r\nSecond line.\r\n"),
        BytesEntry("license.txt", "Terms\r\n"),
        DescriptorEntry({{"Version", "Kernova 5"},
                         {"Title", "Kernova Sample"},
                         {"Readme", "True"},
                         {"License", "True"},
                         {"URL", "https://example.org/fonts"},
                         {"URLName", "Example Fonts"},
                         {"AddFavorites", "True"},
                         {"ShowFontPreview", "False"}}),
    }));
    EXPECT_EQ(form().RavelinName, "Kernova Sample");
    EXPECT_EQ(form().PackageTitle, "Kernova Sample");
    EXPECT_EQ(form().caption, "Kernova Sample - Kernova Installer");
    EXPECT_EQ(form().lblWelcome.caption, "Welcome to Setup for Kernova Sample");
    EXPECT_EQ(form().lblSetup.caption, "This will install Kernova Sample on your computer.");
    EXPECT_EQ(form().lblFinishText.caption, "Kernova has finished installing Kernova Sample.");
    EXPECT_EQ(form().txtReadme.text, "Read this.\r\nSecond line.\r\n");
    EXPECT_EQ(form().txtLicense.text, "Terms\r\n");
    EXPECT_TRUE(form().License);
    EXPECT_TRUE(form().ReadMe);
    EXPECT_EQ(form().URL, "https://example.org/fonts");
    EXPECT_EQ(form().URLTitle, "Example Fonts");
    EXPECT_TRUE(form().lblLink.visible);
    EXPECT_EQ(form().lblLink.caption, "Example Fonts");
    EXPECT_TRUE(form().AddFav);
}

TEST_F(PackageLoadingTest, LinkNeedsBothAddressAndName) {
    ASSERT_FALSE(Load({BytesEntry("Sample.ttf", "x"),
                       DescriptorEntry({{"URL", "https://example.org"}, {"URLName", ""}})}));
    EXPECT_FALSE(form().lblLink.visible);
    EXPECT_EQ(form().lblLink.caption, "LINK");
    EXPECT_EQ(form().URL, "https://example.org");
}

TEST_F(PackageLoadingTest, TagTrueWithEmptyReadmeSkipsTheInformationPage) {
    ASSERT_FALSE(Load({BytesEntry("readme.txt", ""), BytesEntry("Sample.ttf", "x"),
                       DescriptorEntry({{"Readme", "True"}})}));
    EXPECT_TRUE(form().txtReadme.text.empty());
    EXPECT_FALSE(form().ReadMe);
}

TEST_F(PackageLoadingTest, TextsNotAskedForAreNotLoaded) {
    ASSERT_FALSE(Load({BytesEntry("readme.txt", "text"), BytesEntry("license.txt", "text"),
                       DescriptorEntry({{"Readme", "False"}, {"License", "0"}})}));
    EXPECT_TRUE(form().txtReadme.text.empty());
    EXPECT_TRUE(form().txtLicense.text.empty());
    EXPECT_FALSE(form().ReadMe);
    EXPECT_FALSE(form().License);
}

TEST_F(PackageLoadingTest, LoadedTextsEndEveryLineInCrLf) {
    ASSERT_FALSE(Load({BytesEntry("readme.txt", "unix\nline ends\nno final end"),
                       BytesEntry("license.txt", "mac\rline ends\r"),
                       DescriptorEntry({{"Readme", "True"}, {"License", "True"}})}));
    EXPECT_EQ(form().txtReadme.text, "unix\r\nline ends\r\nno final end\r\n");
    EXPECT_EQ(form().txtLicense.text, "mac\r\nline ends\r\n");
}

TEST_F(PackageLoadingTest, Windows1252TextsAreDecoded) {
    ASSERT_FALSE(Load({BytesEntry("license.txt", "\x93"
                                                 "Fa\xE7"
                                                 "ade\x94 \x80 5\r\n"),
                       DescriptorEntry({{"Title", "Caf\xE9 Sans"}, {"License", "True"}})}));
    EXPECT_EQ(form().txtLicense.text, "\xE2\x80\x9C"
                                      "Fa\xC3\xA7"
                                      "ade\xE2\x80\x9D \xE2\x82\xAC 5\r\n");
    EXPECT_EQ(form().PackageTitle, "Caf\xC3\xA9 Sans");
    EXPECT_EQ(form().caption, "Caf\xC3\xA9 Sans - Kernova Installer");
}

TEST_F(PackageLoadingTest, Utf8TextsStayAsTheyAre) {
    ASSERT_FALSE(Load({BytesEntry("readme.txt", "\xC5\xBB\xC3\xB3\xC5\x82w\r\n"),
                       DescriptorEntry({{"Readme", "True"}})}));
    EXPECT_EQ(form().txtReadme.text, "\xC5\xBB\xC3\xB3\xC5\x82w\r\n");
}

TEST_F(PackageLoadingTest, FontListHoldsTtfEntriesSortedWithoutRegardToCase) {
    ASSERT_FALSE(
        Load({BytesEntry("b.TTF", "x"), BytesEntry("c.otf", "x"), BytesEntry("A.ttf", "x"),
              BytesEntry("notes.ttf.txt", "x"), BytesEntry("d ttf", "x"), DescriptorEntry({})}));
    EXPECT_EQ(form().lstFiles.items(),
              (std::vector<std::string>{"kernova.xml", "d ttf", "notes.ttf.txt", "A.ttf", "c.otf",
                                        "b.TTF"}));
    EXPECT_EQ(form().lstFonts.items(), (std::vector<std::string>{"A.ttf", "b.TTF", "d ttf"}));
}

TEST_F(PackageLoadingTest, PicturesLoadIntoSideAndHeader) {
    ASSERT_FALSE(Load({BytesEntry("left.png", test::PngBytes()),
                       BytesEntry("Top.gif", "GIF89a picture"), DescriptorEntry({})}));
    EXPECT_EQ(form().imgSide.picture.sourcePath, form().ExtractPath + "left.png");
    EXPECT_EQ(form().picLicense.picture.sourcePath, form().ExtractPath + "Top.gif");
    EXPECT_EQ(form().picReadme.picture.image, form().picLicense.picture.image);
    EXPECT_EQ(form().picInstall.picture.image, form().picLicense.picture.image);
    EXPECT_TRUE(form().picWelcome.picture.empty());
}

TEST_F(PackageLoadingTest, WithoutTopPictureTheHeadersStayEmpty) {
    ASSERT_FALSE(Load({BytesEntry("LEFT.BMP", "BM bitmap"), DescriptorEntry({})}));
    EXPECT_FALSE(form().imgSide.picture.empty());
    EXPECT_TRUE(form().picLicense.picture.empty());
    EXPECT_TRUE(form().picReadme.picture.empty());
    EXPECT_TRUE(form().picInstall.picture.empty());
}

TEST_F(PackageLoadingTest, EveryMatchLoadsAndTheHighestIndexWins) {
    // Stored first means read last: left.jpg gets the highest index.
    ASSERT_FALSE(
        Load({BytesEntry("left.jpg", "\xFF\xD8\xFF jpeg"), BytesEntry("LEFT.BMP", "BM bitmap"),
              BytesEntry("left.jpeg", "not a picture, and no match either"), DescriptorEntry({})}));
    EXPECT_EQ(runtime.loadedPictures, (std::vector<std::string>{form().ExtractPath + "LEFT.BMP",
                                                                form().ExtractPath + "left.jpg"}));
    EXPECT_EQ(form().imgSide.picture.sourcePath, form().ExtractPath + "left.jpg");
}

TEST_F(PackageLoadingTest, ReadmeTrueWithoutReadmeFileIsCorrupt) {
    ExpectCorrupt({BytesEntry("Sample.ttf", "x"), DescriptorEntry({{"Readme", "True"}})});
}

TEST_F(PackageLoadingTest, LicenseTrueWithoutLicenseFileIsCorrupt) {
    ExpectCorrupt(
        {BytesEntry("readme.txt", "r"), DescriptorEntry({{"Readme", "True"}, {"License", "-1"}})});
}

TEST_F(PackageLoadingTest, EntryNameShorterThanFourCharactersIsCorrupt) {
    ExpectCorrupt({BytesEntry("a.b", "x"), DescriptorEntry({})});
}

TEST_F(PackageLoadingTest, EntryNamedTtfIsCorruptThroughItsShortName) {
    ExpectCorrupt({BytesEntry("TTF", "x"), DescriptorEntry({})});
}

TEST_F(PackageLoadingTest, SidePictureThatIsNoPictureIsCorrupt) {
    ExpectCorrupt({BytesEntry("left.bmp", "just text"), DescriptorEntry({})});
}

TEST_F(PackageLoadingTest, TopPictureThatIsNoPictureIsCorrupt) {
    ExpectCorrupt({BytesEntry("TOP.png", ""), DescriptorEntry({})});
}

TEST_F(PackageLoadingTest, FileWithoutPackageIsCorrupt) {
    fs::create_directories(appFolder);
    test::WriteFileBytes(appFolder / "setup-kernova", std::string(4096, '\t'));
    frm =
        std::make_unique<FrmMain>(runtime, StartupInfo{(appFolder / "setup-kernova").string(), ""});
    EXPECT_EQ(EndsProgram([&] { frm->Form_Load(); }), ExitCode::CorruptPackage);
    ASSERT_EQ(runtime.boxes.size(), 1u);
    EXPECT_EQ(runtime.boxes[0].text, "This Kernova Installer is corrupt.");
    EXPECT_TRUE(FolderContents(sandbox.tmp()).empty());
}

TEST_F(PackageLoadingTest, PreviewDrawnWhenAsked) {
    ASSERT_FALSE(Load({BytesEntry("Zeta.ttf", "x"), BytesEntry("alpha.ttf", "x"),
                       DescriptorEntry({{"ShowFontPreview", "True"}})}));
    EXPECT_TRUE(form().lblFontPreview.visible);
    EXPECT_TRUE(form().picPreview.visible);
    EXPECT_EQ(runtime.preview.addedFiles,
              std::vector<std::string>{form().ExtractPath + "alpha.ttf"});
    EXPECT_EQ(runtime.preview.printed.size(), 3u);
}

class BadBooleanTest : public PackageLoadingTest,
                       public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(BadBooleanTest, IsCorrupt) {
    ExpectCorrupt({BytesEntry("readme.txt", "r"), BytesEntry("license.txt", "l"),
                   DescriptorEntry({{GetParam().first, GetParam().second}})});
}

INSTANTIATE_TEST_SUITE_P(Tags, BadBooleanTest,
                         ::testing::Values(std::pair{"Readme", "yes"}, std::pair{"License", "Tru"},
                                           std::pair{"AddFavorites", "1x"},
                                           std::pair{"ShowFontPreview", "on"},
                                           std::pair{"addfavorites", "enabled"}),
                         [](const auto& info) {
                             return std::string(info.param.first) + "_" +
                                    std::to_string(info.index);
                         });

// The welcome heading: sized to its text when that fits the page (equal counts as
// fitting), else wrapped in a taller label with the text below moved down.
struct HeadingCase {
    const char* name;
    int textWidthPx;
    bool wraps;
};

class WelcomeHeadingTest : public PackageLoadingTest,
                           public ::testing::WithParamInterface<HeadingCase> {};

TEST_P(WelcomeHeadingTest, FitsOrWraps) {
    std::string measuredText;
    FontSpec measuredFont;
    runtime.measure = [&](const FontSpec& font, const std::string& text) {
        measuredFont = font;
        measuredText = text;
        return GetParam().textWidthPx;
    };
    ASSERT_FALSE(Load({BytesEntry("Sample.ttf", "x"), DescriptorEntry({{"Title", "Title"}})}));
    EXPECT_EQ(measuredText, "Welcome to Setup for Title");
    EXPECT_EQ(measuredFont.face, "Verdana");
    EXPECT_TRUE(measuredFont.bold);
    const Label& heading = form().lblWelcome;
    // The page is 309 pixels wide and the heading sits 8 pixels in: 293 pixels are free.
    if (GetParam().wraps) {
        EXPECT_FALSE(heading.autoSize);
        EXPECT_TRUE(heading.wordWrap);
        EXPECT_EQ(heading.rect.width, 293 * 15);
        EXPECT_EQ(heading.rect.height, 100 * 15);
        EXPECT_EQ(form().lblSetup.rect.top, 56 * 15);
    } else {
        EXPECT_TRUE(heading.autoSize);
        EXPECT_EQ(heading.rect.width, GetParam().textWidthPx * 15);
        EXPECT_EQ(heading.rect.height, 270);
        EXPECT_EQ(form().lblSetup.rect.top, 600);
    }
    EXPECT_EQ(heading.rect.left, 120);
}

INSTANTIATE_TEST_SUITE_P(Widths, WelcomeHeadingTest,
                         ::testing::Values(HeadingCase{"Short", 150, false},
                                           HeadingCase{"ExactlyTheRoom", 293, false},
                                           HeadingCase{"OnePixelTooWide", 294, true},
                                           HeadingCase{"FarTooWide", 900, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PackageLoadingTest, LongTitleWrapsWithTheRuntimesMeasure) {
    ASSERT_FALSE(Load({DescriptorEntry({{"Title", "A Very Long Font Family Name Indeed"}})}));
    EXPECT_FALSE(form().lblWelcome.autoSize);
    EXPECT_EQ(form().lblSetup.rect.top, 56 * 15);
}

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
