// The wizard as a user meets it: real package, real handlers, real widgets (offscreen).

#include "qt/qt_wizard.h"

#include "platform/qt/form_widgets.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <algorithm>
#include <gtest/gtest.h>

namespace kernova::test {
namespace {

const WizardPackage kBothTexts{.license = "Licence line one.\r\n", .readme = "Read me first.\r\n"};

// "picLicense back next agreed" from the widgets; the handlers' state must say the same.
std::string Describe(QtWizard& wizard) {
    const bool agreed = wizard.widget<QRadioButton>("optAgree").isChecked();
    const bool back = wizard.widget("cmdBack").isEnabled();
    const bool next = wizard.widget("cmdNext").isEnabled();
    const MainForm& form = wizard.frm().form;
    const bool inStep = agreed != wizard.widget<QRadioButton>("optDisagree").isChecked() &&
                        form.optAgree.value == agreed && form.cmdBack.enabled == back &&
                        form.cmdNext.enabled == next;
    return wizard.CurrentPage() + (back ? " back" : "") + (next ? " next" : "") +
           (agreed ? " agreed" : "") + (inStep ? "" : " OUT-OF-STEP");
}

// A fixed dialog, centred, with Next focused first in the tab order and Back last; every
// page both ways by mouse and accelerator; the options keep their choice when the user
// leaves and comes back; the link opens the package's address with the desktop; Escape does
// nothing on the finish page.
TEST(WizardPages, FixedCentredDialogWhoseWidgetsFollowTheHandlersBothWays) {
    QtTestWorld world;
    QtWizard wizard(world, kBothTexts);
    QWidget& window = wizard.window();
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_FALSE(window.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    // Centred before the window manager's frame is known: within the frame's margins.
    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((window.geometry().center() - screen.center()).manhattanLength(), 16);
    QWidget* widget = &wizard.widget("cmdNext");
    EXPECT_TRUE(widget->hasFocus());
    std::vector<std::string> order;
    do {
        if (widget->focusPolicy() & Qt::TabFocus) {
            order.push_back(widget->objectName().toStdString());
        }
        widget = widget->nextInFocusChain();
    } while (widget != &wizard.widget("cmdNext") && order.size() < 50);
    EXPECT_EQ(order, (std::vector<std::string>{"cmdNext", "cmdCancel", "txtLicense", "optAgree",
                                               "optDisagree", "txtReadme", "cmdBack"}));
    const std::pair<const char*, const char*> steps[] = {
        {"lblLink", "picWelcome next"},
        {"Alt+N", "picLicense back"},
        {"optAgree", "picLicense back next agreed"},
        {"optDisagree", "picLicense back"},
        {"optAgree", "picLicense back next agreed"},
        {"cmdNext", "picReadme back next agreed"},
        {"Alt+B", "picLicense back next agreed"},
        {"cmdBack", "picWelcome next agreed"},
        {"cmdNext", "picLicense back next agreed"},
        {"cmdNext", "picReadme back next agreed"},
        {"cmdNext", "picFinish next agreed"},
        {"Escape", "picFinish next agreed"}};
    for (const auto& [action, shown] : steps) {
        ASSERT_EQ(wizard.Do(action), std::nullopt) << action;
        EXPECT_EQ(Describe(wizard), shown) << action;
    }
    EXPECT_EQ(wizard.widget("lblLink").cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(wizard.runtime().openedUrls, std::vector<std::string>{"https://example.com/kernova"});
    EXPECT_EQ(wizard.widget<QPushButton>("cmdNext").text(), "&Finish");
    EXPECT_FALSE(wizard.widget("cmdCancel").isEnabled());
}

// Escape, closing the window and Cancel (by its accelerator) each end the program at once
// as cancelled, without a question, and the extracted files are gone.
TEST(WizardLeaving, CancelsOnEveryPageBeforeTheRun) {
    for (const auto& [nexts, action] : {std::pair{0, "Escape"}, {1, "close"}, {2, "Alt+C"}}) {
        QtTestWorld world;
        QtWizard wizard(world, kBothTexts);
        ASSERT_FALSE(FolderNames(world.tmp()).empty()) << "the package was extracted";
        for (int i = 0; i < nexts; ++i) {
            wizard.Do("optAgree");
            ASSERT_EQ(wizard.Do("cmdNext"), std::nullopt);
        }
        EXPECT_EQ(wizard.Do(action), ExitCode::Cancelled) << action;
        EXPECT_TRUE(wizard.runtime().boxes.empty());
        EXPECT_EQ(FolderNames(world.tmp()), std::vector<std::string>{});
    }
}

// Records the text of a label each time it is painted.
class PaintedTexts : public QObject {
  public:
    explicit PaintedTexts(qt::LabelWidget& label) : label_(label) {
        label.installEventFilter(this);
    }
    std::vector<std::string> texts;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &label_ && event->type() == QEvent::Paint) {
            const std::string text = label_.text().toStdString();
            if (texts.empty() || texts.back() != text) {
                texts.push_back(text);
            }
        }
        return false;
    }

  private:
    qt::LabelWidget& label_;
};

// While a large package is copied the bar moves: the percentage is painted many times
// over, rising, not just at 0 % and 100 %.
TEST(WizardInstalling, TheProgressIsPaintedWhileManyFontsAreCopied) {
    QtTestWorld world;
    QtWizard wizard(world, {.copies = 1000});
    PaintedTexts percent(wizard.widget<qt::LabelWidget>("lblPercent"));
    EXPECT_EQ(wizard.Do("cmdNext"), std::nullopt);
    ASSERT_EQ(wizard.CurrentPage(), "picFinish");
    ASSERT_EQ(FolderNames(world.fontsDir()).size(), 1002u); // and the record of what was installed
    std::vector<int> shown;
    for (const std::string& text : percent.texts) {
        if (!text.empty()) {
            shown.push_back(std::stoi(text));
        }
    }
    EXPECT_GE(shown.size(), 5u) << "painted: " << ::testing::PrintToString(percent.texts);
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
}

} // namespace
} // namespace kernova::test
