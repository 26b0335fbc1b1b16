// The preview area on Qt: fonts come from the added files only, never from the installed
// ones; sizes are points at 96 dpi; the welcome page shows the drawing.

#include "fonts/face_name.h"
#include "platform/qt/qt_preview_canvas.h"
#include "qt/qt_wizard.h"

#include <QImage>
#include <gtest/gtest.h>
#include <stdexcept>

namespace kernova::test {
namespace {

constexpr const char* kUpper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// Rows of the drawing (within the area's height) holding anything but white.
int InkedRows(const qt::QtPreviewCanvas& canvas) {
    const QImage& image = canvas.image();
    int rows = 0;
    for (int y = 0; y < canvas.size().height() * image.devicePixelRatio(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                ++rows;
                break;
            }
        }
    }
    return rows;
}

// "Kernova Wide" is the sample sans with every advance 1.45 times as wide: only the file
// itself can give these widths.
TEST(QtPreviewCanvas, SelectsOnlyAddedFilesAndMeasuresWithTheirOwnWidths) {
    QtTestWorld world;
    qt::QtPreviewCanvas canvas{LinuxPlatform().fonts, QSize(289, 73), 1.0};
    const std::string sans = TestFont("KernovaSampleSans-Regular.ttf").string();
    const std::string wide = TestFont("KernovaWide-Regular.ttf").string();
    EXPECT_THROW(canvas.SetFontName(GetFontName(LinuxPlatform().fonts, sans)), std::runtime_error)
        << "not added yet";
    canvas.AddFontFile(sans);
    canvas.AddFontFile(wide);
    EXPECT_NO_THROW(canvas.SetFontName("kernova sample  SANS")); // as the registry compares
    EXPECT_THROW(canvas.SetFontName("Kernova Sample Serif"), std::runtime_error);
    canvas.SetFontSize(12);
    const int width = canvas.TextWidth(kUpper);
    canvas.SetFontSize(14);
    EXPECT_GT(canvas.TextWidth(kUpper), width);
    canvas.SetFontName(GetFontName(LinuxPlatform().fonts, wide));
    canvas.SetFontSize(12);
    EXPECT_NEAR(canvas.TextWidth(kUpper) / static_cast<double>(width), 1.45, 0.02);
    canvas.ReleaseFontFile(wide);
    EXPECT_THROW(canvas.SetFontName(GetFontName(LinuxPlatform().fonts, wide)), std::runtime_error)
        << "released";
    const auto text = world.work() / "notes.ttf";
    WriteFileBytes(text, "not a font at all");
    EXPECT_THROW(canvas.AddFontFile(text.string()), std::runtime_error);
}

// The whole preview as the welcome page shows it: the largest size at which the capitals
// fit (by the extracted file's own widths), and the area fitted to its three lines.
TEST(QtPreviewOnTheWelcomePage, DrawsThreeLinesAtTheLargestSizeThatFits) {
    for (const auto& [font, points] : {std::pair{"KernovaSampleSans-Regular.ttf", 12.0},
                                       {"KernovaWide-Regular.ttf", 10.0},
                                       {"KernovaHuge-Regular.ttf", 10.0}}) {
        SCOPED_TRACE(font);
        QtTestWorld world;
        QtWizard wizard(world, {.fonts = {font}});
        qt::QtPreviewCanvas probe(LinuxPlatform().fonts, QSize(289, 73), 1.0);
        probe.AddFontFile(TestFont(font).string());
        probe.SetFontName(GetFontName(LinuxPlatform().fonts, TestFont(font).string()));
        probe.SetFontSize(points == 12 ? 14 : points + 1); // the next larger size tried
        EXPECT_GT(probe.TextWidth(kUpper), 289) << "a larger size would have fitted";
        probe.SetFontSize(points);
        EXPECT_TRUE(points == 10 || probe.TextWidth(kUpper) <= 289);
        probe.Print("x");
        const int line = probe.CurrentY();
        qt::QtPreviewCanvas& canvas = wizard.runtime().previewCanvas();
        QWidget& area = wizard.widget("picPreview");
        EXPECT_TRUE(area.isVisible());
        EXPECT_EQ(area.height(), 3 * line + 4);
        EXPECT_EQ(canvas.size().height(), 3 * line + 4);
        EXPECT_GT(InkedRows(canvas), line);
        EXPECT_TRUE(canvas.AddedFaceNames().empty()) << "the font was released after drawing";
    }
}

} // namespace
} // namespace kernova::test
