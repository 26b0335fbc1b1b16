// The wizard window's frame, placement, keyboard order and the geometry it takes from the
// layout in twips.

#include "qt/qt_wizard.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <gtest/gtest.h>

namespace kernova::test {
namespace {

constexpr const char* kLicense = "Licence.\r\n";
constexpr const char* kReadme = "Read me.\r\n";

class WizardLayout : public ::testing::Test {
  protected:
    void SetUp() override {
        WizardPackage package;
        package.license = kLicense;
        package.readme = kReadme;
        wizard = std::make_unique<QtWizard>(world, package);
        wizard->Load();
    }

    QtTestWorld world;
    std::unique_ptr<QtWizard> wizard;
};

TEST_F(WizardLayout, FixedDialogCentredOnTheScreenWithNextFirstInTheTabOrder) {
    QWidget& window = wizard->window();
    // Client area 6615 x 4455 twips at 15 twips per pixel.
    EXPECT_EQ(window.size(), QSize(441, 297));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint) && flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint) ||
                 flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(window.windowTitle(), "Kernova Sample Fonts - Kernova Installer");
    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Centred before the window manager's frame is known: within the frame's margins.
    EXPECT_LE((window.geometry().center() - screen.center()).manhattanLength(), 16);
    // Next comes first in the tab order and Back last.
    QWidget& next = wizard->button("cmdNext");
    EXPECT_TRUE(next.hasFocus());
    std::vector<std::string> order;
    QWidget* widget = &next;
    do {
        if (widget->focusPolicy() & Qt::TabFocus) {
            order.push_back(widget->objectName().toStdString());
        }
        widget = widget->nextInFocusChain();
    } while (widget != &next && order.size() < 50);
    EXPECT_EQ(order, (std::vector<std::string>{"cmdNext", "cmdCancel", "txtLicense", "optAgree",
                                               "optDisagree", "txtReadme", "cmdBack"}));
}

// Each control where the layout puts it: twips / 15, relative to its container.
TEST_F(WizardLayout, ControlsFollowTheLayoutInTwips) {
    const std::pair<const char*, QRect> placements[] = {
        {"imgSide", QRect(0, 0, 132, 250)},        {"picWelcome", QRect(132, 0, 309, 250)},
        {"picLicense", QRect(132, 0, 313, 250)},   {"cmdBack", QRect(197, 264, 73, 23)},
        {"cmdNext", QRect(272, 264, 73, 23)},      {"cmdCancel", QRect(357, 265, 73, 23)},
        {"picSubLicense", QRect(0, 60, 309, 190)}, {"txtLicense", QRect(8, 40, 294, 105)},
        {"txtReadme", QRect(8, 8, 294, 174)},      {"picProgCon", QRect(8, 56, 294, 17)},
        {"lneGrey", QRect(0, 250, 441, 1)},        {"lneWhite", QRect(0, 251, 441, 1)}};
    for (const auto& [control, pixels] : placements) {
        EXPECT_EQ(wizard->widget(control).geometry(), pixels) << control;
    }
}

TEST_F(WizardLayout, TextBoxesAreReadOnlyWithAVerticalScrollBar) {
    for (const char* name : {"txtLicense", "txtReadme"}) {
        auto& box = dynamic_cast<QPlainTextEdit&>(wizard->widget(name));
        EXPECT_TRUE(box.isReadOnly()) << name;
        EXPECT_EQ(box.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn) << name;
    }
    EXPECT_EQ(dynamic_cast<QPlainTextEdit&>(wizard->widget("txtLicense")).toPlainText(),
              "Licence.\n");
}

TEST_F(WizardLayout, TheProgressFillStaysInsideItsTrough) {
    MainForm& form = wizard->frm().form;
    QWidget& trough = wizard->widget("picProgCon");
    QWidget& fill = wizard->widget("picProg");
    for (int width : {15, form.picProgCon.rect.width / 2, form.picProgCon.rect.width}) {
        form.picProg.rect.width = width;
        wizard->window().SyncFromState();
        QRect client = dynamic_cast<QFrame&>(trough).contentsRect();
        EXPECT_TRUE(client.contains(fill.geometry())) << width;
        EXPECT_EQ(fill.geometry().left(), client.left());
    }
    EXPECT_EQ(fill.width(), dynamic_cast<QFrame&>(trough).contentsRect().width());
}

} // namespace
} // namespace kernova::test
