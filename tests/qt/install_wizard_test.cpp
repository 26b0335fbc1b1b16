// The installation through the wizard as a user sees it: welcome, licence, information,
// installing, finish, driven with QTest over the real views. What the installing page
// shows is read from the widgets whenever the runtime brings the views up to date.
#include "fonts/face_name.h"
#include "fonts/font_registry.h"
#include "platform/message_box.h"
#include "platform/qt/form_view.h"
#include "platform/qt/form_widgets.h"
#include "qt/qt_wizard.h"
#include "support/wizard_package.h"

#include <QPushButton>
#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using test::QtTestWorld;
using test::QtWizard;
using test::TestFont;
using test::WizardPackage;

constexpr const char* kMono = "KernovaSampleMono-Regular.ttf";
constexpr const char* kSans = "KernovaSampleSans-Regular.ttf";
constexpr const char* kSerif = "KernovaSampleSerif-Regular.ttf";

// What the installing page showed.
struct Shown {
    std::string status;
    std::string percent;
    int fill = 0;   // the progress fill's width in pixels, 0 when hidden
    int trough = 0; // the trough's outer width, which the fill's share is taken of
    int inside = 0; // the trough's width inside its border: the fill at 100 %
    bool operator==(const Shown&) const = default;
};

// A view that only watches: each time the runtime brings the views up to date (a repaint,
// a message box), it notes what the real widgets of the installing page show.
class InstallPageRecorder : public qt::FormView {
  public:
    QWidget* window = nullptr;
    std::vector<Shown> shown; // changes only

    void SyncFromState() override {
        if (window == nullptr) {
            return;
        }
        auto* status = window->findChild<qt::LabelWidget*>("lblStatus");
        auto* percent = window->findChild<qt::LabelWidget*>("lblPercent");
        auto* fill = window->findChild<QWidget*>("picProg");
        auto* trough = window->findChild<QWidget*>("picProgCon");
        ASSERT_TRUE(status && percent && fill && trough);
        Shown now{status->text().toStdString(), percent->text().toStdString(),
                  fill->isVisible() ? fill->width() : 0, trough->width(),
                  trough->contentsRect().width()};
        if (shown.empty() || !(shown.back() == now)) {
            shown.push_back(now);
        }
    }
    void RepaintNow() override {}
};

std::string LabelText(QtWizard& wizard, const char* name) {
    return static_cast<qt::LabelWidget&>(wizard.widget(name)).text().toStdString();
}

// As an earlier installation would have left it.
void PreInstall(QtTestWorld& world, const std::string& font) {
    fs::copy_file(TestFont(font), world.fontsDir() / font);
    RegisterFont(GetFontName(TestFont(font).string()), font);
    ASSERT_TRUE(IsFontInstalled(TestFont(font).string()));
}

TEST(InstallWizard, FromWelcomeToFinishWithLicenceAndReadMe) {
    QtTestWorld world;
    PreInstall(world, kSans);
    PreInstall(world, kSerif);
    WizardPackage package;
    package.license = "You may use these fonts.\r\n";
    package.readme = "Three sample fonts.\r\n";
    package.fonts = {kMono, kSans, kSerif};
    InstallPageRecorder recorder;
    QtWizard wizard(world, package);
    recorder.window = &wizard.window();
    wizard.runtime().AddView(recorder);
    wizard.Load();

    EXPECT_EQ(wizard.CurrentPage(), "picWelcome");
    ASSERT_FALSE(wizard.Click("cmdNext"));
    EXPECT_EQ(wizard.CurrentPage(), "picLicense");
    EXPECT_FALSE(wizard.button("cmdNext").isEnabled());
    ASSERT_FALSE(wizard.Click("optAgree"));
    ASSERT_FALSE(wizard.Click("cmdNext"));
    EXPECT_EQ(wizard.CurrentPage(), "picReadme");
    recorder.shown.clear();
    ASSERT_FALSE(wizard.Click("cmdNext")); // the run

    EXPECT_EQ(wizard.CurrentPage(), "picFinish");
    // The two installed fonts were announced, each over the progress of the fonts before it.
    ASSERT_EQ(wizard.runtime().boxes.size(), 2u);
    EXPECT_EQ(wizard.runtime().boxes[0].text,
              "The Kernova Sample Sans font is already installed.\r\n\r\n"
              "To install a new version, first remove the old version.");
    EXPECT_EQ(wizard.runtime().boxes[0].style, MB_ICONEXCLAMATION | MB_OKCANCEL);
    EXPECT_EQ(wizard.runtime().boxes[0].title, "");
    std::vector<std::string> statuses, percents;
    for (const Shown& s : recorder.shown) {
        statuses.push_back(s.status);
        percents.push_back(s.percent);
    }
    EXPECT_EQ(percents, (std::vector<std::string>{"0 %", "33 %", "66 %", "100 %", "100 %"}));
    EXPECT_EQ(statuses, (std::vector<std::string>{"Installing...", "Copying Kernova Sample Sans",
                                                  "Copying Kernova Sample Serif",
                                                  "Copying Kernova Sample Serif",
                                                  "Registering Kernova Sample Mono"}));
    ASSERT_EQ(recorder.shown.size(), 5u);
    const int trough = recorder.shown[1].trough;
    EXPECT_NEAR(recorder.shown[1].fill, trough / 3, 2);
    EXPECT_NEAR(recorder.shown[2].fill, 2 * trough / 3, 2);
    EXPECT_EQ(recorder.shown[3].fill, recorder.shown[3].inside);

    EXPECT_EQ(LabelText(wizard, "lblFinish"), "Finished!");
    EXPECT_EQ(LabelText(wizard, "lblFinishText"),
              "Kernova has finished installing Kernova Sample Fonts.");
    EXPECT_EQ(wizard.button("cmdNext").text().toStdString(), "&Finish");
    EXPECT_TRUE(wizard.button("cmdNext").isEnabled());
    EXPECT_FALSE(wizard.button("cmdCancel").isEnabled());
    EXPECT_EQ(test::ReadFileBytes(world.fontsDir() / kMono), test::ReadFileBytes(TestFont(kMono)));

    EXPECT_EQ(wizard.Click("cmdNext"), ExitCode::Done);
    EXPECT_TRUE(test::FolderContents(world.tmp()).empty());
}

TEST(InstallWizard, ARunWhoseRegisteringFailsEndsOnCouldNotInstall) {
    QtTestWorld world;
    WizardPackage package;
    package.fonts = {kMono, kSans};
    QtWizard wizard(world, package);
    wizard.Load();
    // The run repaints when it starts, after copying, after registering and at the end.
    int runRepaints = 0;
    wizard.runtime().onRefresh = [&](int) {
        if (++runRepaints == 3) {
            throw std::runtime_error("the display went away while registering");
        }
    };

    ASSERT_FALSE(wizard.Click("cmdNext")); // no licence, no read-me: straight to the run

    EXPECT_EQ(wizard.CurrentPage(), "picFinish");
    EXPECT_EQ(LabelText(wizard, "lblFinish"), "Could not install");
    EXPECT_EQ(LabelText(wizard, "lblFinishText"),
              "Setup could not finish installing Kernova Sample Fonts on your computer. "
              "Permission denied to register fonts.");
    EXPECT_EQ(wizard.button("cmdNext").text().toStdString(), "&Close");

    wizard.runtime().onRefresh = nullptr;
    EXPECT_EQ(wizard.Click("cmdNext"), ExitCode::InstallFailed);
    EXPECT_TRUE(test::FolderContents(world.tmp()).empty());
}

} // namespace
} // namespace kernova
