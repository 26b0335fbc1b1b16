// The welcome page's font preview, and the Favorites entry with the INI writer behind it.
#include "fakes/fake_platform.h"
#include "fakes/fake_runtime.h"
#include "ui/favorites.h"
#include "ui/frm_main.h"
#include "ui/ini_file.h"

#include <gtest/gtest.h>

namespace kernova::test {
namespace {

using Names = std::vector<std::string>;
const Names kSampleLines = {"abcdefghijklmnopqrstuvwxyz", "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                            "123456789.:,;(*!?')"};

class Preview : public ::testing::Test {
  protected:
    Preview() {
        frm.form.ExtractPath = "/tmp/x/";
        frm.form.lstFonts.AddItem("Zserif.ttf");
        frm.form.lstFonts.AddItem("sample.ttf");
        p.files.AddFile("/tmp/x/sample.ttf", FontBytes("Sample"));
        runtime.preview.knownNames = {"Sample"};
    }
    FakePlatform p;
    FakeRuntime runtime;
    FrmMain frm{runtime, p.platform, {}};
};

struct SizeCase {
    double charWidthPerPoint;
    int areaWidth;
    double size;
};

class PreviewSize : public Preview, public ::testing::WithParamInterface<SizeCase> {};

// The first font of the list is drawn, then released, at the first size that fits.
TEST_P(PreviewSize, IsTheFirstAtWhichTheUpperCaseLineFits) {
    runtime.preview.charWidthPerPoint = GetParam().charWidthPerPoint;
    runtime.preview.width = GetParam().areaWidth;
    runtime.preview.lineHeightPerPoint = 2;
    frm.ShowFontPreview();
    EXPECT_EQ(runtime.preview.fontSize, GetParam().size);
    const int height = 3 * static_cast<int>(GetParam().size * 2) + 4;
    EXPECT_EQ(runtime.preview.height, height);
    EXPECT_EQ(frm.form.picPreview.rect.height, height * 15);
    EXPECT_EQ(runtime.preview.printed, kSampleLines) << "every line drawn, whatever its width";
    EXPECT_TRUE(frm.form.lblFontPreview.visible && frm.form.picPreview.visible);
    EXPECT_EQ(runtime.preview.addedFiles, Names{"/tmp/x/sample.ttf"});
    EXPECT_EQ(runtime.preview.releasedFiles, Names{"/tmp/x/sample.ttf"});
    EXPECT_EQ(runtime.preview.fontName, "Sample");
}

INSTANTIATE_TEST_SUITE_P(Sizes, PreviewSize,
                         ::testing::Values(SizeCase{0.6, 218, 14},   // exactly 218 at 14 fits
                                           SizeCase{0.6, 217, 12},   // one pixel short
                                           SizeCase{1.0, 289, 11},   // 312 > 289, 286 <= 289
                                           SizeCase{2.0, 289, 10})); // never fits: stays at 10

// No font to draw with (empty list, no font, a face that cannot be selected): the lines
// are drawn in the area's default font.
class PreviewFallback : public Preview, public ::testing::WithParamInterface<int> {};

TEST_P(PreviewFallback, DrawsInTheDefaultFont) {
    GetParam() == 0   ? frm.form.lstFonts.Clear()
    : GetParam() == 1 ? p.files.AddFile("/tmp/x/sample.ttf", "not a font")
                      : runtime.preview.knownNames.clear();
    frm.ShowFontPreview();
    EXPECT_EQ(runtime.preview.fontName, "");
    EXPECT_EQ(runtime.preview.printed, kSampleLines);
    EXPECT_EQ(runtime.preview.height, 3 * 14 + 4);
    EXPECT_EQ(runtime.preview.releasedFiles, runtime.preview.addedFiles);
}

INSTANTIATE_TEST_SUITE_P(Causes, PreviewFallback, ::testing::Values(0, 1, 2));

// Each failing statement is skipped and the next one still runs.
TEST_F(Preview, FailingStatementsAreSkipped) {
    struct FailingCanvas : FakePreviewCanvas {
        void AddFontFile(const std::string&) override { throw std::runtime_error("add"); }
        void Print(const std::string& text) override {
            text == kSampleLines[1] ? throw std::runtime_error("print")
                                    : FakePreviewCanvas::Print(text);
        }
    } canvas;
    canvas.knownNames = {"Sample"};
    runtime.previewOverride = &canvas;
    frm.ShowFontPreview();
    EXPECT_EQ(canvas.fontName, "Sample");
    EXPECT_EQ(canvas.printed, (Names{kSampleLines[0], kSampleLines[2]}));
    EXPECT_EQ(canvas.height, 2 * 14 + 4);
}

TEST(SetIniKey, SetsOneKeyAndKeepsTheRest) {
    const std::pair<std::string, std::string> cases[] = {
        {"[Other]\r\nURL=keep\r\n[InternetShortcut]\r\nIconIndex=0\r\nURL=old\r\nX=1\r\n[Z]\r\n",
         "[Other]\r\nURL=keep\r\n[InternetShortcut]\r\nIconIndex=0\r\nURL=new\r\nX=1\r\n[Z]\r\n"},
        {"[internetshortcut]\r\nurl = old\r\n", "[internetshortcut]\r\nURL=new\r\n"},
        {"[InternetShortcut]\r\nURLX=1\r\n\r\n[O]\r\n",
         "[InternetShortcut]\r\nURLX=1\r\nURL=new\r\n\r\n[O]\r\n"},
        {"; comment\r\n[O]\r\nB=2", "; comment\r\n[O]\r\nB=2\r\n[InternetShortcut]\r\nURL=new\r\n"},
        {"[InternetShortcut]\nURL=a\nURL=b\n", "[InternetShortcut]\r\nURL=new\r\nURL=b\r\n"},
        {"[InternetShortcut]", "[InternetShortcut]\r\nURL=new\r\n"}};
    for (const auto& [before, after] : cases) {
        EXPECT_EQ(SetIniKey(before, "InternetShortcut", "URL", "new"), after) << before;
    }
}

TEST(WriteIniFile, UpdatesKeepingThePermissionsOrWritesNothing) {
    FakeFileSystem files;
    files.AddFile("/ini/entry.url", "[InternetShortcut]\r\nURL=old\r\nIconIndex=3\r\n", 0640);
    ASSERT_FALSE(WriteIniFile(files, "InternetShortcut", "URL", "new", "/ini/entry.url"));
    EXPECT_EQ(files.Read("/ini/entry.url"), "[InternetShortcut]\r\nURL=new\r\nIconIndex=3\r\n");
    EXPECT_EQ(files.At("/ini/entry.url").mode, 0640u);
    const FakeFileSystem::Tree before = files.tree();
    const std::string inputs[][3] = {{"S", "URL", "https://x\r\n[Evil]\r\nA=1"},
                                     {"S", "URL", std::string("a\0b", 3)},
                                     {"S", "U=RL", "v"},
                                     {"S]", "URL", "v"},
                                     {"S", "", "v"},
                                     {"", "URL", "v"}};
    for (const auto& [section, key, value] : inputs) {
        EXPECT_EQ(WriteIniFile(files, section, key, value, "/ini/entry.url"),
                  std::errc::invalid_argument);
    }
    files.AddFile("/ini/unreadable.url", "[S]\r\n");
    files.failingReads.insert("/ini/unreadable.url");
    EXPECT_TRUE(WriteIniFile(files, "S", "K", "V", "/ini/unreadable.url"));
    EXPECT_TRUE(WriteIniFile(files, "S", "K", "V", "/ini/missing/x.url"));
    files.readOnly.insert("/ini");
    EXPECT_TRUE(WriteIniFile(files, "S", "K", "V", "/ini/new.url"));
    EXPECT_EQ(files.Names("/ini"), (Names{"entry.url", "unreadable.url"}));
}

class AddFavoriteTest : public ::testing::Test {
  protected:
    std::string Add(const std::string& title) {
        return AddFavorite(p.files, p.folders, title, "https://example.org");
    }
    FakePlatform p;
};

TEST_F(AddFavoriteTest, WritesTheShortcutAlsoInAnExistingSubfolderAndReplacesALink) {
    p.files.AddFolder("/favorites/Fonts");
    p.files.AddFile("/elsewhere", "[InternetShortcut]\r\nSecret=1\r\n");
    p.files.AddLink("/favorites/Linked.url", "/elsewhere");
    for (const char* title : {"Foo", "Fonts\\Foo", "Foo: the \"best\" fonts?", "Linked"}) {
        EXPECT_EQ(Add(title), "");
    }
    EXPECT_EQ(p.files.Read("/favorites/Fonts/Foo.url"),
              "[InternetShortcut]\r\nURL=https://example.org\r\n");
    EXPECT_EQ(p.files.Names("/favorites"),
              (Names{"Fonts", "Foo.url", "Foo: the \"best\" fonts?.url", "Linked.url"}));
    EXPECT_EQ(p.files.Read("/favorites/Linked.url"), p.files.Read("/favorites/Foo.url"));
    EXPECT_EQ(p.files.Read("/elsewhere"), "[InternetShortcut]\r\nSecret=1\r\n");
}

TEST_F(AddFavoriteTest, UnsafeTitlesOrALinkedSubfolderWriteNothing) {
    p.files.AddFolder("/outside");
    p.files.AddLink("/favorites/Linked", "/outside");
    const FakeFileSystem::Tree before = p.files.tree();
    for (const std::string& title :
         Names{"", "Missing\\Foo", "..\\Foo", "..", ".", "Sub\\..\\Foo", "\\Foo", "/Foo", "Foo\\",
               "A\\\\Foo", std::string("Fo\0o", 4), "Linked\\Foo"}) {
        EXPECT_EQ(Add(title), "") << title;
    }
    p.folders.favorites.clear();
    Add("Foo");
    EXPECT_EQ(p.files.tree(), before);
}

} // namespace
} // namespace kernova::test
