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

// One user action and what the wizard shows afterwards.
struct Step {
    const char* click; // a control name; nullptr for the start
    const char* page;
    bool backEnabled;
    bool nextEnabled;
};

struct PageSequence {
    const char* name;
    bool license;
    bool readme;
    std::vector<Step> steps;
};

void PrintTo(const PageSequence& sequence, std::ostream* out) {
    *out << sequence.name;
}

class WizardPageSequence : public ::testing::TestWithParam<PageSequence> {};

TEST_P(WizardPageSequence, FollowsThePagesWithContentBothWaysAndFinishes) {
    const PageSequence& sequence = GetParam();
    QtTestWorld world;
    WizardPackage package;
    package.license = sequence.license ? kLicense : "";
    package.readme = sequence.readme ? kReadme : "";
    QtWizard wizard(world, package);
    wizard.Load();

    for (const Step& step : sequence.steps) {
        SCOPED_TRACE(step.click != nullptr ? step.click : "start");
        if (step.click != nullptr) {
            ASSERT_EQ(wizard.Click(step.click), std::nullopt);
        }
        EXPECT_EQ(wizard.CurrentPage(), step.page);
        EXPECT_EQ(wizard.button("cmdBack").isEnabled(), step.backEnabled);
        EXPECT_EQ(wizard.button("cmdNext").isEnabled(), step.nextEnabled);
        EXPECT_EQ(wizard.frm().form.cmdBack.enabled, step.backEnabled);
        EXPECT_EQ(wizard.frm().form.cmdNext.enabled, step.nextEnabled);
    }
    EXPECT_EQ(wizard.button("cmdNext").text(), "&Finish");
    EXPECT_FALSE(wizard.button("cmdCancel").isEnabled());
    EXPECT_EQ(wizard.Click("cmdNext"), ExitCode::Done);
}

INSTANTIATE_TEST_SUITE_P(Sequences, WizardPageSequence,
                         ::testing::Values(PageSequence{"neither",
                                                        false,
                                                        false,
                                                        {{nullptr, "picWelcome", false, true},
                                                         {"cmdNext", "picFinish", false, true}}},
                                           PageSequence{"licenceOnly",
                                                        true,
                                                        false,
                                                        {{nullptr, "picWelcome", false, true},
                                                         {"cmdNext", "picLicense", true, false},
                                                         {"optAgree", "picLicense", true, true},
                                                         {"optDisagree", "picLicense", true, false},
                                                         {"optAgree", "picLicense", true, true},
                                                         {"cmdBack", "picWelcome", false, true},
                                                         {"cmdNext", "picLicense", true, true},
                                                         {"cmdNext", "picFinish", false, true}}},
                                           PageSequence{"readmeOnly",
                                                        false,
                                                        true,
                                                        {{nullptr, "picWelcome", false, true},
                                                         {"cmdNext", "picReadme", true, true},
                                                         {"cmdBack", "picWelcome", false, true},
                                                         {"cmdNext", "picReadme", true, true},
                                                         {"cmdNext", "picFinish", false, true}}},
                                           PageSequence{"both",
                                                        true,
                                                        true,
                                                        {{nullptr, "picWelcome", false, true},
                                                         {"cmdNext", "picLicense", true, false},
                                                         {"optAgree", "picLicense", true, true},
                                                         {"cmdNext", "picReadme", true, true},
                                                         {"cmdBack", "picLicense", true, true},
                                                         {"cmdBack", "picWelcome", false, true},
                                                         {"cmdNext", "picLicense", true, true},
                                                         {"cmdNext", "picReadme", true, true},
                                                         {"cmdNext", "picFinish", false, true}}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WizardOptions, KeepTheirChoiceWhenTheUserLeavesAndComesBack) {
    QtTestWorld world;
    WizardPackage package;
    package.license = kLicense;
    QtWizard wizard(world, package);
    wizard.Load();
    wizard.Click("cmdNext");
    auto& agree = dynamic_cast<QRadioButton&>(wizard.widget("optAgree"));
    auto& disagree = dynamic_cast<QRadioButton&>(wizard.widget("optDisagree"));
    EXPECT_FALSE(agree.isChecked());
    EXPECT_TRUE(disagree.isChecked());
    wizard.Click("optAgree");
    EXPECT_TRUE(agree.isChecked());
    EXPECT_FALSE(disagree.isChecked());
    EXPECT_TRUE(wizard.frm().form.optAgree.value);
    EXPECT_FALSE(wizard.frm().form.optDisagree.value);
    wizard.Click("cmdBack");
    wizard.Click("cmdNext");
    EXPECT_TRUE(agree.isChecked());
    EXPECT_TRUE(wizard.button("cmdNext").isEnabled());
}

// Escape is the window's Cancel: on every page before the run it ends the program as
// cancelled, and the extracted files are gone.
class WizardEscape : public ::testing::TestWithParam<int> {};

TEST_P(WizardEscape, CancelsOnEveryPageBeforeTheRun) {
    QtTestWorld world;
    WizardPackage package;
    package.license = kLicense;
    package.readme = kReadme;
    QtWizard wizard(world, package);
    wizard.Load();
    ASSERT_FALSE(FolderContents(world.tmp()).empty()) << "the package was extracted";
    const int nexts = GetParam();
    for (int i = 0; i < nexts; ++i) {
        if (wizard.frm().form.picLicense.visible) {
            wizard.Click("optAgree");
        }
        ASSERT_EQ(wizard.Click("cmdNext"), std::nullopt);
    }
    EXPECT_EQ(wizard.PressEscape(), ExitCode::Cancelled);
    EXPECT_EQ(FolderContents(world.tmp()), std::vector<std::string>{});
}

std::string PageAfterNexts(const ::testing::TestParamInfo<int>& info) {
    static const char* const kPages[] = {"welcome", "licence", "information"};
    return kPages[info.param];
}

INSTANTIATE_TEST_SUITE_P(Pages, WizardEscape, ::testing::Values(0, 1, 2), PageAfterNexts);

TEST(WizardEscape, DoesNothingOnTheFinishPage) {
    QtTestWorld world;
    QtWizard wizard(world, WizardPackage{});
    wizard.Load();
    wizard.Click("cmdNext");
    ASSERT_EQ(wizard.CurrentPage(), "picFinish");
    EXPECT_EQ(wizard.PressEscape(), std::nullopt);
    EXPECT_EQ(wizard.CurrentPage(), "picFinish");
}

TEST(WizardWindow, ClosingItCancelsAndRemovesTheExtractedFiles) {
    QtTestWorld world;
    QtWizard wizard(world, WizardPackage{});
    wizard.Load();
    EXPECT_EQ(EndsProgram([&] { wizard.window().close(); }), ExitCode::Cancelled);
    EXPECT_EQ(FolderContents(world.tmp()), std::vector<std::string>{});
}

TEST(WizardWindow, CancelButtonEndsAtOnceWithoutAsking) {
    QtTestWorld world;
    QtWizard wizard(world, WizardPackage{});
    wizard.Load();
    EXPECT_EQ(wizard.Click("cmdCancel"), ExitCode::Cancelled);
    EXPECT_TRUE(wizard.runtime().boxes.empty());
    EXPECT_EQ(FolderContents(world.tmp()), std::vector<std::string>{});
}

TEST(WizardLink, OpensThePackagesAddressWithTheDesktop) {
    QtTestWorld world;
    QtWizard wizard(world, WizardPackage{});
    wizard.Load();
    QWidget& link = wizard.widget("lblLink");
    ASSERT_TRUE(link.isVisible());
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(wizard.Click("lblLink"), std::nullopt);
    EXPECT_EQ(wizard.runtime().openedUrls, std::vector<std::string>{"https://example.com/kernova"});
    EXPECT_EQ(wizard.CurrentPage(), "picWelcome");
}

TEST(WizardLink, StaysHiddenWithoutACaption) {
    QtTestWorld world;
    WizardPackage package;
    package.urlName = "";
    QtWizard wizard(world, package);
    wizard.Load();
    EXPECT_FALSE(wizard.widget("lblLink").isVisible());
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
