// The preview area on Qt: fonts come from the added files only, sizes are points at 96 dpi,
// and the drawing is kept.

#include "fonts/face_name.h"
#include "platform/qt/qt_preview_canvas.h"
#include "qt/qt_test_world.h"
#include "qt/qt_wizard.h"

#include <QImage>
#include <gtest/gtest.h>
#include <stdexcept>

namespace kernova::test {
namespace {

constexpr const char* kUpper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

std::string FontPath(const char* file) {
    return TestFont(file).string();
}

// Rows of the drawing (within the area's height) holding anything but white.
int InkedRows(const qt::QtPreviewCanvas& canvas) {
    const QImage& image = canvas.image();
    double ratio = image.devicePixelRatio();
    int rows = 0;
    for (int y = 0; y < static_cast<int>(canvas.size().height() * ratio); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                ++rows;
                break;
            }
        }
    }
    return rows;
}

class QtPreviewCanvasTest : public ::testing::Test {
  protected:
    QtTestWorld world;
    qt::QtPreviewCanvas canvas{QSize(289, 73), 1.0};
};

TEST_F(QtPreviewCanvasTest, SelectsAnAddedFileByItsFullNameAndRefusesWhatIsNotAFont) {
    // Without a font name the area's default font draws.
    canvas.SetFontSize(12);
    EXPECT_GT(canvas.TextWidth(kUpper), 0);
    canvas.Print(kUpper);
    EXPECT_GT(canvas.CurrentY(), 0);
    EXPECT_GT(InkedRows(canvas), 5);
    const std::string sans = FontPath("KernovaSampleSans-Regular.ttf");
    EXPECT_THROW(canvas.SetFontName(GetFontName(sans)), std::runtime_error) << "not added yet";
    canvas.AddFontFile(sans);
    EXPECT_NO_THROW(canvas.SetFontName(GetFontName(sans)));
    EXPECT_NO_THROW(canvas.SetFontName("kernova sample  SANS")); // as the registry compares
    EXPECT_THROW(canvas.SetFontName("Kernova Sample Serif"), std::runtime_error);
    EXPECT_THROW(canvas.SetFontName(""), std::runtime_error);
    canvas.ReleaseFontFile(sans);
    EXPECT_THROW(canvas.SetFontName(GetFontName(sans)), std::runtime_error) << "released";
    EXPECT_THROW(canvas.ReleaseFontFile(sans), std::runtime_error);
    const auto text = world.work() / "notes.ttf";
    WriteFileBytes(text, "not a font at all");
    EXPECT_THROW(canvas.AddFontFile(text.string()), std::runtime_error);
    EXPECT_THROW(canvas.AddFontFile((world.work() / "missing.ttf").string()), std::runtime_error);
    EXPECT_TRUE(canvas.AddedFaceNames().empty());
}

TEST_F(QtPreviewCanvasTest, MeasuresWithTheFilesOwnMetricsGrowingWithThePointSize) {
    // "Kernova Wide" is the sample sans with every advance 1.45 times as wide: only the file
    // itself can give these widths.
    const std::string sans = FontPath("KernovaSampleSans-Regular.ttf");
    const std::string wide = FontPath("KernovaWide-Regular.ttf");
    canvas.AddFontFile(sans);
    canvas.AddFontFile(wide);
    canvas.SetFontName(GetFontName(sans));
    int previous = 0;
    for (double points : {10.0, 11.0, 12.0, 14.0}) {
        canvas.SetFontSize(points);
        const int width = canvas.TextWidth(kUpper);
        EXPECT_GT(width, previous) << points;
        previous = width;
    }
    canvas.SetFontName(GetFontName(wide));
    EXPECT_NEAR(canvas.TextWidth(kUpper) / static_cast<double>(previous), 1.45, 0.02);
    EXPECT_THROW(canvas.SetFontSize(0), std::invalid_argument);
}

TEST_F(QtPreviewCanvasTest, PrintAdvancesByLinesAndTheDrawingIsKeptWhenTheAreaGrows) {
    const std::string sans = FontPath("KernovaSampleSans-Regular.ttf");
    canvas.AddFontFile(sans);
    canvas.SetFontName(GetFontName(sans));
    canvas.SetFontSize(14);
    EXPECT_EQ(canvas.CurrentY(), 0);
    canvas.Print("abc");
    const int line = canvas.CurrentY();
    EXPECT_GE(line, 19); // at least the 19-pixel em of 14 points at 96 dpi
    EXPECT_LE(line, 30);
    for (int i = 1; i < 6; ++i) {
        canvas.Print("ABCDEFG");
    }
    EXPECT_EQ(canvas.CurrentY(), 6 * line);
    ASSERT_GT(canvas.CurrentY(), 73) << "lines run past the area's design height";
    canvas.SetHeight(canvas.CurrentY() + 4);
    EXPECT_EQ(canvas.size().height(), 6 * line + 4);
    // Every line, also those printed below the old bottom edge, is there to see.
    EXPECT_GE(InkedRows(canvas), 6 * (line / 2));
    canvas.SetHeight(10);
    EXPECT_LE(InkedRows(canvas), 10);
}

// The whole preview as the welcome page shows it: the size choice made with the extracted
// file's own widths, and the area fitted to three lines.
struct PreviewCase {
    const char* font;
    double expectedPoints;
};

void PrintTo(const PreviewCase& c, std::ostream* out) {
    *out << c.font << " at " << c.expectedPoints;
}

class QtPreviewOnTheWelcomePage : public ::testing::TestWithParam<PreviewCase> {};

TEST_P(QtPreviewOnTheWelcomePage, DrawsThreeLinesAtTheLargestSizeThatFits) {
    QtTestWorld world;
    WizardPackage package;
    package.fonts = {GetParam().font};
    QtWizard wizard(world, package);
    wizard.Load();
    qt::QtPreviewCanvas& canvas = wizard.runtime().previewCanvas();
    // The chosen size is the first of 14, 12, 11, 10 at which the capitals fit 289 pixels.
    const double points = GetParam().expectedPoints;
    qt::QtPreviewCanvas probe(QSize(289, 73), 1.0);
    probe.AddFontFile(TestFont(GetParam().font).string());
    probe.SetFontName(GetFontName(TestFont(GetParam().font).string()));
    if (points < 14) {
        probe.SetFontSize(points == 12 ? 14 : points + 1);
        EXPECT_GT(probe.TextWidth(kUpper), 289) << "a larger size would have fitted";
    }
    probe.SetFontSize(points);
    EXPECT_TRUE(points == 10 || probe.TextWidth(kUpper) <= 289);
    probe.Print("x");
    const int line = probe.CurrentY();
    EXPECT_EQ(canvas.size().height(), 3 * line + 4);
    QWidget& area = wizard.widget("picPreview");
    EXPECT_TRUE(area.isVisible());
    EXPECT_EQ(area.height(), 3 * line + 4);
    EXPECT_EQ(wizard.frm().form.picPreview.rect.height, (3 * line + 4) * 15);
    EXPECT_GT(InkedRows(canvas), line);
    EXPECT_TRUE(canvas.AddedFaceNames().empty()) << "the font was released after drawing";
}

INSTANTIATE_TEST_SUITE_P(Fonts, QtPreviewOnTheWelcomePage,
                         ::testing::Values(PreviewCase{"KernovaSampleSans-Regular.ttf", 12},
                                           PreviewCase{"KernovaWide-Regular.ttf", 10},
                                           PreviewCase{"KernovaHuge-Regular.ttf", 10}),
                         [](const auto& info) {
                             std::string name = info.param.font;
                             return name.substr(0, name.find('-'));
                         });

} // namespace
} // namespace kernova::test
