// The wizard as a user meets it: real package, real handlers, real widgets (offscreen).

#include "qt/qt_wizard.h"
#include "support/wizard_package.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace kernova::test {
namespace {

constexpr const char* kLicense = "Licence line one.\r\nLicence line two.\r\n";
constexpr const char* kReadme = "Read me first.\r\n";

// "picLicense back next agreed" from the widgets; the handlers' state must say the same.
std::string Describe(QtWizard& wizard) {
    const auto& agree = dynamic_cast<QRadioButton&>(wizard.widget("optAgree"));
    const auto& disagree = dynamic_cast<QRadioButton&>(wizard.widget("optDisagree"));
    const bool back = wizard.button("cmdBack").isEnabled();
    const bool next = wizard.button("cmdNext").isEnabled();
    const MainForm& form = wizard.frm().form;
    std::string text = wizard.CurrentPage();
    text += back ? " back" : "";
    text += next ? " next" : "";
    text += agree.isChecked() ? " agreed" : "";
    if (agree.isChecked() == disagree.isChecked() || form.optAgree.value != agree.isChecked() ||
        form.cmdBack.enabled != back || form.cmdNext.enabled != next) {
        text += " OUT-OF-STEP";
    }
    return text;
}

// Every page with content, both ways (which pages a package has is the handlers' matter,
// checked elsewhere); the options keep their choice when the user leaves and comes back.
TEST(WizardPages, WidgetsFollowTheHandlersBothWaysAndFinish) {
    QtTestWorld world;
    WizardPackage package;
    package.license = kLicense;
    package.readme = kReadme;
    QtWizard wizard(world, package);
    wizard.Load();
    // Each step: a control clicked ("-" at the start), then what the widgets show.
    for (const std::string step :
         {"- picWelcome next", "cmdNext picLicense back", "optAgree picLicense back next agreed",
          "optDisagree picLicense back", "optAgree picLicense back next agreed",
          "cmdNext picReadme back next agreed", "cmdBack picLicense back next agreed",
          "cmdBack picWelcome next agreed", "cmdNext picLicense back next agreed",
          "cmdNext picReadme back next agreed", "cmdNext picFinish next agreed"}) {
        const std::string click = step.substr(0, step.find(' '));
        if (click != "-") {
            ASSERT_EQ(wizard.Click(click.c_str()), std::nullopt) << step;
        }
        EXPECT_EQ(Describe(wizard), step.substr(click.size() + 1));
    }
    EXPECT_EQ(wizard.button("cmdNext").text(), "&Finish");
    EXPECT_FALSE(wizard.button("cmdCancel").isEnabled());
    EXPECT_EQ(wizard.Click("cmdNext"), ExitCode::Done);
}

// Escape, Cancel and closing the window each end the program at once as cancelled, without
// a question, and the extracted files are gone (each way on another page before the run;
// the handlers are checked on every page elsewhere). On the finish page Escape does nothing.
class WizardLeaving : public ::testing::TestWithParam<int> {};

TEST_P(WizardLeaving, CancelsOnEveryPageBeforeTheRun) {
    QtTestWorld world;
    WizardPackage package;
    package.license = kLicense;
    package.readme = kReadme;
    QtWizard wizard(world, package);
    wizard.Load();
    ASSERT_FALSE(FolderContents(world.tmp()).empty()) << "the package was extracted";
    for (int i = 0; i < GetParam(); ++i) {
        wizard.Click("optAgree");
        ASSERT_EQ(wizard.Click("cmdNext"), std::nullopt);
    }
    switch (GetParam()) {
    case 0:
        EXPECT_EQ(wizard.PressEscape(), ExitCode::Cancelled);
        break;
    case 1:
        EXPECT_EQ(EndsProgram([&] { wizard.window().close(); }), ExitCode::Cancelled);
        break;
    case 2:
        EXPECT_EQ(wizard.Click("cmdCancel"), ExitCode::Cancelled);
        break;
    case 3:
        ASSERT_EQ(wizard.CurrentPage(), "picFinish");
        EXPECT_EQ(wizard.PressEscape(), std::nullopt);
        EXPECT_EQ(wizard.CurrentPage(), "picFinish");
        return;
    }
    EXPECT_TRUE(wizard.runtime().boxes.empty());
    EXPECT_EQ(FolderContents(world.tmp()), std::vector<std::string>{});
}

std::string WayOut(const ::testing::TestParamInfo<int>& info) {
    static const char* const kWays[] = {"welcomeEscape", "licenceClose", "informationCancel",
                                        "finishEscape"};
    return kWays[info.param];
}

INSTANTIATE_TEST_SUITE_P(Pages, WizardLeaving, ::testing::Values(0, 1, 2, 3), WayOut);

TEST(WizardLink, OpensThePackagesAddressWithTheDesktopAndHidesWithoutACaption) {
    for (const bool named : {true, false}) {
        QtTestWorld world;
        WizardPackage package;
        if (!named) {
            package.urlName = "";
        }
        QtWizard wizard(world, package);
        wizard.Load();
        QWidget& link = wizard.widget("lblLink");
        ASSERT_EQ(link.isVisible(), named);
        if (named) {
            EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
            EXPECT_EQ(wizard.Click("lblLink"), std::nullopt);
            EXPECT_EQ(wizard.runtime().openedUrls,
                      std::vector<std::string>{"https://example.com/kernova"});
            EXPECT_EQ(wizard.CurrentPage(), "picWelcome");
        }
    }
}

TEST(WizardKeyboard, AcceleratorsPressTheirButtons) {
    QtTestWorld world;
    WizardPackage package;
    package.readme = kReadme;
    QtWizard wizard(world, package);
    wizard.Load();
    // A mnemonic animates its button's click; the click lands a moment later.
    auto press = [&](Qt::Key key) {
        return EndsProgram([&] {
            QTest::keyClick(&wizard.window(), key, Qt::AltModifier);
            QTest::qWait(300);
        });
    };
    EXPECT_EQ(press(Qt::Key_N), std::nullopt);
    EXPECT_EQ(wizard.CurrentPage(), "picReadme");
    EXPECT_EQ(press(Qt::Key_B), std::nullopt);
    EXPECT_EQ(wizard.CurrentPage(), "picWelcome");
    EXPECT_EQ(press(Qt::Key_C), ExitCode::Cancelled);
}

} // namespace
} // namespace kernova::test
