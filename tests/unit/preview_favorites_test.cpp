// The welcome page's font preview, and the Favorites entry with the INI writer behind it.
#include "fakes/fake_platform.h"
#include "fakes/fake_runtime.h"
#include "ui/favorites.h"
#include "ui/frm_main.h"
#include "ui/ini_file.h"

#include <gtest/gtest.h>

namespace kernova::test {
namespace {

const Names kLines = {"abcdefghijklmnopqrstuvwxyz", "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                      "123456789.:,;(*!?')"};

// Pixels per character and point, the area's width, the size and face the lines get; the
// last rows have no font to draw with (no list, a file that is no font, a face the area
// cannot select) or an area that fails: each failing statement is skipped and the next one
// still runs. The first font of the list is drawn, then released.
TEST(Preview, DrawsEveryLineAtTheFirstSizeAtWhichTheUpperCaseLineFits) {
    const std::tuple<double, int, double, const char*, int> cases[] = {
        {0.6, 218, 14, "Sample", 0}, // exactly 218 pixels at 14 fits
        {0.6, 217, 12, "Sample", 0}, // one pixel short
        {1.0, 289, 11, "Sample", 0}, // 312 > 289, 286 <= 289
        {2.0, 289, 10, "Sample", 0}, // never fits: stays at 10
        {0.5, 289, 14, "", 1},       {0.5, 289, 14, "", 2},
        {0.5, 289, 14, "", 3},       {0.5, 289, 14, "Sample", 4}};
    for (const auto& [charWidth, width, size, face, cause] : cases) {
        SCOPED_TRACE(testing::Message() << charWidth << " " << width << " " << cause);
        FakePlatform p;
        FakeRuntime runtime;
        FrmMain frm{runtime, p.platform, {}};
        frm.form.ExtractPath = "/x/";
        for (const char* font : {"Zserif.ttf", "sample.ttf"}) {
            cause == 1 ? void() : frm.form.lstFonts.AddItem(font);
        }
        p.files.AddFile("/x/sample.ttf", cause == 2 ? "no font" : FontBytes("Sample"));
        runtime.preview.knownNames = {cause == 3 ? "" : "Sample"};
        runtime.preview.charWidthPerPoint = charWidth;
        runtime.preview.width = width;
        runtime.preview.failing = cause == 4 ? kLines[1] : "";
        frm.ShowFontPreview();
        EXPECT_EQ(runtime.preview.fontSize, size);
        EXPECT_EQ(runtime.preview.fontName, face);
        const int height = (cause == 4 ? 2 : 3) * static_cast<int>(size * 2) + 4;
        EXPECT_EQ(runtime.preview.height, height);
        EXPECT_EQ(frm.form.picPreview.rect.height, height * 15);
        EXPECT_EQ(runtime.preview.printed, cause == 4 ? (Names{kLines[0], kLines[2]}) : kLines);
        EXPECT_TRUE(frm.form.lblFontPreview.visible && frm.form.picPreview.visible);
        EXPECT_TRUE(cause == 1 || runtime.preview.addedFiles == Names{"/x/sample.ttf"});
        EXPECT_EQ(runtime.preview.releasedFiles, runtime.preview.addedFiles);
    }
}

TEST(IniFile, SetsOneKeyKeepingTheRestAndThePermissionsOrWritesNothing) {
    const std::pair<std::string, std::string> cases[] = {
        {"[O]\r\nURL=keep\r\n[InternetShortcut]\r\nI=0\r\nURL=old\r\nX=1\r\n[Z]\r\n",
         "[O]\r\nURL=keep\r\n[InternetShortcut]\r\nI=0\r\nURL=new\r\nX=1\r\n[Z]\r\n"},
        {"[internetshortcut]\r\nurl = old\r\n", "[internetshortcut]\r\nURL=new\r\n"},
        {"[InternetShortcut]\r\nURLX=1\r\n\r\n[O]\r\n",
         "[InternetShortcut]\r\nURLX=1\r\nURL=new\r\n\r\n[O]\r\n"},
        {"; c\r\n[O]\r\nB=2", "; c\r\n[O]\r\nB=2\r\n[InternetShortcut]\r\nURL=new\r\n"},
        {"[InternetShortcut]\nURL=a\nURL=b", "[InternetShortcut]\r\nURL=new\r\nURL=b\r\n"}};
    for (const auto& [before, after] : cases) {
        EXPECT_EQ(SetIniKey(before, "InternetShortcut", "URL", "new"), after) << before;
    }
    FakeFileSystem files;
    files.AddFile("/ini/entry.url", "[S]\r\nK=old\r\nI=3\r\n", 0640);
    ASSERT_FALSE(WriteIniFile(files, "S", "K", "new", "/ini/entry.url"));
    EXPECT_EQ(files.Read("/ini/entry.url"), "[S]\r\nK=new\r\nI=3\r\n");
    EXPECT_EQ(files.At("/ini/entry.url").mode, 0640u);
    files.AddFile("/ini/unreadable.url", "[S]\r\n");
    files.failingReads.insert("/ini/unreadable.url");
    const FakeFileSystem::Tree before = files.tree();
    const std::string inputs[][3] = {{"S", "K", "x\r\n[Evil]"},
                                     {"S", "K", std::string("a\0b", 3)},
                                     {"S", "K=", "v"},
                                     {"S]", "K", "v"},
                                     {"S", "", "v"},
                                     {"", "K", "v"}};
    for (const auto& [section, key, value] : inputs) {
        EXPECT_EQ(WriteIniFile(files, section, key, value, "/ini/entry.url"),
                  std::errc::invalid_argument);
    }
    EXPECT_TRUE(WriteIniFile(files, "S", "K", "V", "/ini/unreadable.url"));
    EXPECT_TRUE(WriteIniFile(files, "S", "K", "V", "/ini/missing/x.url"));
    files.readOnly.insert("/ini");
    EXPECT_TRUE(WriteIniFile(files, "S", "K", "V", "/ini/new.url"));
    EXPECT_EQ(files.tree(), before);
}

TEST(AddFavorite, WritesTheShortcutInAnExistingSubfolderReplacingALinkButNothingUnsafe) {
    FakePlatform p;
    p.files.AddFolder("/favorites/Fonts");
    p.files.AddFile("/elsewhere", "[InternetShortcut]\r\nSecret=1\r\n");
    p.files.AddLink("/favorites/Linked.url", "/elsewhere");
    p.files.AddLink("/favorites/LinkedFolder", "/app");
    for (const std::string& title :
         Names{"Fonts\\Foo", "Foo: \"best\"?", "Linked", "", "Missing\\Foo", "..\\Foo", "..", ".",
               "Fonts\\..\\Foo", "\\Foo", "/Foo", "Foo\\", "A\\\\Foo", std::string("F\0o", 3),
               "LinkedFolder\\Foo"}) {
        EXPECT_EQ(AddFavorite(p.files, p.folders, title, "https://example.org"), "") << title;
    }
    const std::string entry = "[InternetShortcut]\r\nURL=https://example.org\r\n";
    EXPECT_EQ(p.files.Read("/favorites/Fonts/Foo.url") + p.files.Read("/favorites/Linked.url"),
              entry + entry);
    EXPECT_EQ(p.files.Names("/favorites"),
              (Names{"Fonts", "Foo: \"best\"?.url", "Linked.url", "LinkedFolder"}));
    EXPECT_EQ(p.files.Names("/favorites/Fonts").size() + p.files.Names("/app").size(), 1u);
    EXPECT_EQ(p.files.Read("/elsewhere"), "[InternetShortcut]\r\nSecret=1\r\n");
}

} // namespace
} // namespace kernova::test
