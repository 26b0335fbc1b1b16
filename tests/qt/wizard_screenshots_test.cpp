// Rendered pictures of every page of the sample package, each page checked for text cut
// short, and the run as the installing page shows it. Under ctest the pictures land in the
// test area of the build folder; scripts/screenshots.sh runs this under a real X server
// with KERNOVA_SCREENSHOT_DIR set for the README's pictures.

#include "platform/qt/form_view.h"
#include "platform/qt/form_widgets.h"
#include "qt/qt_wizard.h"

#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>

namespace kernova::test {
namespace {

// True when more than `minimum` pixels differ from the one in the middle of the right edge.
bool HasDrawing(const std::filesystem::path& file, int minimum) {
    const QImage image(QString::fromStdString(file.string()));
    int different = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            different += image.pixel(x, y) != image.pixel(image.width() - 1, image.height() / 2);
        }
    }
    return different > minimum;
}

// Every text shown is shown whole: it fits what its container lets be seen of its widget.
void ExpectWholeTexts(QWidget& window, const std::string& page) {
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        const QRect seen = widget->geometry().intersected(widget->parentWidget()->contentsRect());
        QString text;
        int room = seen.width();
        if (auto* label = qobject_cast<qt::LabelWidget*>(widget)) {
            text = label->text();
        } else if (auto* option = qobject_cast<QRadioButton*>(widget)) {
            text = option->text();
            room -= option->sizeHint().width() - option->fontMetrics().horizontalAdvance(text);
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            text = button->text().remove('&');
            room -= 8; // the button's frame
        }
        if (text.isEmpty() || !widget->isVisible()) {
            continue;
        }
        // A pixel more than the rounded advances: text sized to them is laid out unrounded.
        const QRect need = widget->fontMetrics().boundingRect(QRect(0, 0, room + 1, 1 << 20),
                                                              Qt::TextWordWrap, text);
        EXPECT_TRUE(need.width() <= room + 1 && need.height() <= seen.height())
            << page << ": " << widget->objectName().toStdString();
    }
}

// Runs `watch` whenever the runtime brings the views up to date (a yield, a repaint, a
// message box), after the wizard's own views.
struct Watcher : qt::FormView {
    std::function<void()> watch;
    void SyncFromState() override { watch(); }
    void RepaintNow() override {}
};

TEST(WizardScreenshots, EveryPageOfTheSamplePackage) {
    QtTestWorld world;
    const auto samples = std::filesystem::path(KERNOVA_SOURCE_DIR) / "samples";
    const std::vector<std::string> fonts = {"KernovaSampleSans-Regular.ttf",
                                            "KernovaSampleSans-Bold.ttf",
                                            "KernovaSampleSerif-Regular.ttf"};
    QtWizard wizard(world,
                    {ReadFileBytes(samples / "license.txt"), ReadFileBytes(samples / "readme.txt"),
                     "Kernova Sample Fonts on the web", fonts});
    int shots = 0;
    auto shoot = [&](const std::string& page) {
        ExpectWholeTexts(wizard.window(), page);
        EXPECT_TRUE(HasDrawing(SaveScreenshot(wizard.window(), page), 2000)) << page;
        ++shots;
    };
    shoot("welcome");
    for (const auto& [action, page] : {std::pair{"cmdNext", "license"},
                                       {"optAgree", "license-accepted"},
                                       {"cmdNext", "readme"}}) {
        wizard.Do(action);
        shoot(page);
    }
    // The installing page as the run repaints it: the percentage and the fill, which starts
    // at one pixel and never spills over the trough's border.
    std::vector<std::pair<std::string, int>> progress;
    Watcher watcher;
    watcher.watch = [&] {
        const std::string percent =
            wizard.widget<qt::LabelWidget>("lblPercent").text().toStdString();
        const QWidget& fill = wizard.widget("picProg");
        if (progress.empty() || progress.back().first != percent) {
            progress.emplace_back(percent, fill.isVisible() ? fill.width() : 0);
        }
        if (percent != "0 %" && shots == 4) {
            shoot("installing");
        }
    };
    wizard.runtime().AddView(watcher);
    wizard.Do("cmdNext");
    const QRect inside = wizard.widget<QFrame>("picProgCon").contentsRect();
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), std::pair(std::string("0 %"), 1));
    EXPECT_EQ(progress.back(), std::pair(std::string("100 %"), inside.width()));
    ASSERT_EQ(wizard.CurrentPage(), "picFinish");
    shoot("finish");
    EXPECT_EQ(shots, 6);
    EXPECT_EQ(wizard.Do("cmdNext"), ExitCode::Done);
    EXPECT_EQ(FolderNames(world.tmp()), std::vector<std::string>{});
}

// The welcome page of packages whose first font is not a Latin one. The fonts come from
// $KERNOVA_PREVIEW_FONTS ("arabic=PATH;cjk=PATH;icons=PATH", the README's pictures of real
// fonts), else they are the test fonts.
TEST(WizardScreenshots, PreviewsOfFontsInOtherScripts) {
    std::map<std::string, std::string> fonts = {{"arabic", "KernovaArabic-Regular.ttf"},
                                                {"cjk", "KernovaHan-Regular.ttf"},
                                                {"icons", "KernovaIcons-Regular.ttf"}};
    const char* given = std::getenv("KERNOVA_PREVIEW_FONTS");
    for (const QString& pair : QString(given ? given : "").split(';', Qt::SkipEmptyParts)) {
        const QStringList parts = pair.split('=');
        if (parts.size() == 2 && fonts.count(parts[0].toStdString()) > 0) {
            fonts[parts[0].toStdString()] = parts[1].toStdString();
        }
    }
    for (const auto& [script, font] : fonts) {
        SCOPED_TRACE(font);
        QtTestWorld world;
        QtWizard wizard(world, {.fonts = {font}});
        ExpectWholeTexts(wizard.window(), script);
        EXPECT_TRUE(HasDrawing(SaveScreenshot(wizard.window(), "preview-" + script), 2000));
    }
}

TEST(WizardScreenshots, TheExtractionNotice) {
    QtTestWorld world;
    ExtractingForm form;
    form.loaded = form.visible = true;
    qt::ExtractingView view(form);
    ASSERT_TRUE(view.isVisible());
    EXPECT_EQ(view.windowTitle(), "Extracting...");
    ExpectWholeTexts(view, "extracting");
    EXPECT_TRUE(HasDrawing(SaveScreenshot(view, "extracting"), 50));
    form.loaded = form.visible = false;
    view.SyncFromState();
    EXPECT_FALSE(view.isVisible());
}

} // namespace
} // namespace kernova::test
