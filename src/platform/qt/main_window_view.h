#pragma once

#include "platform/qt/form_view.h"
#include "platform/qt/form_widgets.h"
#include "ui/main_form.h"

#include <QWidget>
#include <string>

class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace kernova {
class FrmMain;
}

namespace kernova::qt {

class QtRuntime;

// The wizard window built from frmMain's state. Every widget is named after its control
// (findChild<QPushButton*>("cmdNext")). User actions go to frmMain's handlers; afterwards
// the widgets are brought up to date from the state.
class MainWindowView : public QWidget, public FormView {
  public:
    // `showWindow` false keeps the window off screen whatever the state says (no display).
    MainWindowView(FrmMain& frm, QtRuntime& runtime, bool showWindow = true);

    void SyncFromState() override;
    void RepaintNow() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    template <typename Handler> void Run(Handler handler);
    void BuildWidgets();
    void ConnectEvents();
    void SetTabOrder();
    // `clientOrigin`: where the container's client area starts (inside a border).
    void SyncLabel(LabelWidget* widget, const Label& label, const QColor& containerColor,
                   QPoint clientOrigin = {});
    void SyncPanel(PanelWidget* widget, const Panel& panel);
    void SyncTextBox(QPlainTextEdit* widget, const TextBox& box, std::string& shown);
    void SyncWindow();

    FrmMain& frm_;
    QtRuntime& runtime_;
    bool showWindow_;
    bool placed_ = false;
    bool synced_ = false;
    std::string licenseShown_, readmeShown_;

    PanelWidget* imgSide_;
    PanelWidget *picWelcome_, *picLicense_, *picReadme_, *picInstall_, *picFinish_;
    LineWidget *lneGrey_, *lneWhite_;
    LabelWidget *lblLink_, *lblBrand_;
    QPushButton *cmdBack_, *cmdNext_, *cmdCancel_;

    LabelWidget *lblWelcome_, *lblSetup_, *lblFontPreview_, *lblWelcomeNext_;
    DrawingWidget* picPreview_;

    LabelWidget* lblLicense_;
    LineWidget* lneLicense_;
    PanelWidget* picSubLicense_;
    LabelWidget* lblAcceptTerms_;
    QPlainTextEdit* txtLicense_;
    QRadioButton *optAgree_, *optDisagree_;

    LabelWidget *lblReadMe_, *lblSubReadme_;
    LineWidget* lneReadme_;
    PanelWidget* picSubReadme_;
    QPlainTextEdit* txtReadme_;

    LabelWidget* lblInstalling_;
    LineWidget* lneInstall_;
    PanelWidget* picSubInstall_;
    LabelWidget* lblStatus_;
    PanelWidget* picProgCon_;
    FillWidget* picProg_;
    LabelWidget *lblPercent_, *lblInstall_;

    LabelWidget *lblFinish_, *lblFinishText_, *lblFinishFinish_;
};

} // namespace kernova::qt
