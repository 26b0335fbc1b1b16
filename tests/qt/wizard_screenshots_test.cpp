// Rendered pictures of every page of the sample package. Under ctest they land in the test
// area of the build folder; scripts/screenshots.sh runs this under a real X server with
// KERNOVA_SCREENSHOT_DIR set for the README's pictures.

#include "platform/qt/extracting_view.h"
#include "qt/qt_wizard.h"
#include "support/sandbox.h"
#include "ui/main_form.h"

#include <QImage>
#include <gtest/gtest.h>

namespace kernova::test {
namespace {

std::string SampleText(const char* name) {
    return ReadFileBytes(std::filesystem::path(KERNOVA_SOURCE_DIR) / "samples" / name);
}

// True when the picture has more than `minimum` pixels unlike its most common colour.
bool HasDrawing(const std::filesystem::path& file, int minimum) {
    QImage image(QString::fromStdString(file.string()));
    if (image.isNull()) {
        return false;
    }
    QRgb background = image.pixel(image.width() - 1, image.height() / 2);
    int different = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            different += image.pixel(x, y) != background ? 1 : 0;
        }
    }
    return different > minimum;
}

TEST(WizardScreenshots, EveryPageOfTheSamplePackage) {
    QtTestWorld world;
    WizardPackage package;
    package.license = SampleText("license.txt");
    package.readme = SampleText("readme.txt");
    package.addFavorites = true;
    package.url = "https://example.com/kernova-sample-fonts";
    package.urlName = "Kernova Sample Fonts on the web";
    package.fonts = {"KernovaSampleSans-Regular.ttf", "KernovaSampleSans-Bold.ttf",
                     "KernovaSampleSerif-Regular.ttf"};
    QtWizard wizard(world, package);
    wizard.Load();
    std::vector<std::filesystem::path> shots;
    shots.push_back(SaveScreenshot(wizard.window(), "welcome"));
    wizard.Click("cmdNext");
    shots.push_back(SaveScreenshot(wizard.window(), "license"));
    wizard.Click("optAgree");
    shots.push_back(SaveScreenshot(wizard.window(), "license-accepted"));
    wizard.Click("cmdNext");
    shots.push_back(SaveScreenshot(wizard.window(), "readme"));
    // The installing page, as the run repaints it after its first font.
    bool installingShot = false;
    wizard.runtime().onRefresh = [&](int) {
        const MainForm& form = wizard.frm().form;
        if (!installingShot && form.picInstall.visible && form.lblPercent.caption != "0 %") {
            shots.push_back(SaveScreenshot(wizard.window(), "installing"));
            installingShot = true;
        }
    };
    wizard.Click("cmdNext");
    wizard.runtime().onRefresh = nullptr;
    EXPECT_TRUE(installingShot);
    ASSERT_EQ(wizard.CurrentPage(), "picFinish");
    shots.push_back(SaveScreenshot(wizard.window(), "finish"));

    for (const auto& shot : shots) {
        EXPECT_TRUE(HasDrawing(shot, 2000)) << shot;
    }
}

TEST(WizardScreenshots, TheExtractionNotice) {
    QtTestWorld world;
    ExtractingForm form;
    form.loaded = true;
    form.visible = true;
    qt::ExtractingView view(form);
    ASSERT_TRUE(view.isVisible());
    EXPECT_EQ(view.size(), QSize(201, 30));
    EXPECT_EQ(view.windowTitle(), "Extracting...");
    EXPECT_TRUE(HasDrawing(SaveScreenshot(view, "extracting"), 50));
    form.visible = false;
    form.loaded = false;
    view.SyncFromState();
    EXPECT_FALSE(view.isVisible());
}

} // namespace
} // namespace kernova::test
