// The welcome page's preview: size choice, height, which font, and skipped failures.
#include "fonts/face_name.h"
#include "support/fake_runtime.h"
#include "support/sandbox.h"
#include "ui/frm_main.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace kernova {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kSampleLines = {"abcdefghijklmnopqrstuvwxyz",
                                               "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "123456789.:,;(*!?')"};

class FontPreviewTest : public ::testing::Test {
  protected:
    test::Sandbox sandbox;
    test::FakeRuntime runtime;
    FrmMain frm{runtime, {}};
    std::string fontName;

    void SetUp() override {
        const fs::path folder = sandbox.tmp() / "extracted";
        fs::create_directories(folder);
        fs::copy_file(test::TestFont("KernovaSampleSans-Regular.ttf"), folder / "sample.ttf");
        fs::copy_file(test::TestFont("KernovaSampleSerif-Regular.ttf"), folder / "Zserif.ttf");
        frm.form.ExtractPath = folder.string() + "/";
        frm.form.lstFonts.AddItem("Zserif.ttf");
        frm.form.lstFonts.AddItem("sample.ttf");
        fontName = GetFontName(frm.form.ExtractPath + "sample.ttf");
        runtime.preview.knownNames = {fontName};
    }
};

// Widths of the fake font: 26 characters x size x the factor, rounded down.
struct SizeCase {
    double charWidthPerPoint;
    int areaWidth;
    double expectedSize;
};

class PreviewSizeTest : public FontPreviewTest, public ::testing::WithParamInterface<SizeCase> {};

// The first font of the list is drawn, then released, at the first size that fits.
TEST_P(PreviewSizeTest, DrawsTheFirstFontOfTheListAtTheFirstSizeThatFits) {
    ASSERT_FALSE(fontName.empty());
    runtime.preview.charWidthPerPoint = GetParam().charWidthPerPoint;
    runtime.preview.width = GetParam().areaWidth;
    runtime.preview.lineHeightPerPoint = 2;
    frm.ShowFontPreview();
    EXPECT_EQ(runtime.preview.fontSize, GetParam().expectedSize);
    // Three lines at the chosen size, plus 4 pixels; the form state holds twips.
    const int height = 3 * static_cast<int>(GetParam().expectedSize * 2) + 4;
    EXPECT_EQ(runtime.preview.height, height);
    EXPECT_EQ(frm.form.picPreview.rect.height, height * 15);
    EXPECT_EQ(runtime.preview.printed, kSampleLines) << "every line drawn, whatever its width";
    const std::string path = frm.form.ExtractPath + "sample.ttf";
    EXPECT_TRUE(frm.form.lblFontPreview.visible && frm.form.picPreview.visible);
    EXPECT_EQ(runtime.preview.addedFiles, std::vector<std::string>{path});
    EXPECT_EQ(runtime.preview.releasedFiles, std::vector<std::string>{path});
    EXPECT_EQ(runtime.preview.fontName, fontName);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PreviewSizeTest,
                         ::testing::Values(SizeCase{0.6, 218, 14},   // exactly 218 at 14 fits
                                           SizeCase{0.6, 217, 12},   // one pixel short: 187 at 12
                                           SizeCase{1.0, 289, 11},   // 312 > 289, 286 <= 289
                                           SizeCase{2.0, 289, 10})); // never fits: stays at 10

// No font to draw with (empty list, a file that is no font, a face that cannot be
// selected): the preview still draws every line in the area's default font.
class PreviewFallbackTest : public FontPreviewTest, public ::testing::WithParamInterface<int> {};

TEST_P(PreviewFallbackTest, DrawsInTheDefaultFont) {
    switch (GetParam()) {
    case 0:
        frm.form.lstFonts.Clear();
        break;
    case 1:
        test::WriteFileBytes(fs::path(frm.form.ExtractPath) / "sample.ttf", "not a font");
        break;
    case 2:
        runtime.preview.knownNames.clear();
        break;
    }
    frm.ShowFontPreview();
    EXPECT_TRUE(frm.form.lblFontPreview.visible && frm.form.picPreview.visible);
    EXPECT_EQ(runtime.preview.fontName, "");
    EXPECT_EQ(runtime.preview.fontSize, 14);
    EXPECT_EQ(runtime.preview.printed, kSampleLines);
    EXPECT_EQ(runtime.preview.height, 3 * 14 + 4);
    EXPECT_EQ(runtime.preview.releasedFiles.size(), GetParam() == 0 ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Causes, PreviewFallbackTest, ::testing::Values(0, 1, 2));

// An area whose every other operation fails: each failing statement is skipped and the
// next one still runs.
class FailingCanvas : public test::FakePreviewCanvas {
  public:
    void AddFontFile(const std::string&) override { throw std::runtime_error("add"); }
    void Print(const std::string& text) override {
        if (text == kSampleLines[1]) {
            throw std::runtime_error("print");
        }
        FakePreviewCanvas::Print(text);
    }
    void ReleaseFontFile(const std::string& path) override {
        FakePreviewCanvas::ReleaseFontFile(path);
        throw std::runtime_error("release");
    }
};

TEST_F(FontPreviewTest, FailingStatementsAreSkipped) {
    FailingCanvas canvas;
    canvas.knownNames = {fontName};
    runtime.previewOverride = &canvas;
    frm.ShowFontPreview();
    EXPECT_EQ(canvas.fontName, fontName);
    EXPECT_EQ(canvas.printed, (std::vector<std::string>{kSampleLines[0], kSampleLines[2]}));
    EXPECT_EQ(canvas.height, 2 * 14 + 4);
    EXPECT_EQ(canvas.releasedFiles.size(), 1u);
}

} // namespace
} // namespace kernova
