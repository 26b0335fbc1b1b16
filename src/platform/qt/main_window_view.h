#pragma once

#include "platform/qt/form_view.h"
#include "platform/qt/table_widgets.h"

#include <QWidget>

namespace kernova {
class FrmMain;
}

namespace kernova::qt {

class QtRuntime;

// The wizard window: frmMain's control table as widgets (each named after its control,
// findChild<QPushButton*>("cmdNext")). User actions go to frmMain's handlers; afterwards the
// widgets are brought up to date from the state.
class MainWindowView : public QWidget, public FormView {
  public:
    // `showWindow` false keeps the window off screen whatever the state says (no display).
    MainWindowView(FrmMain& frm, QtRuntime& runtime, bool showWindow = true);

    void SyncFromState() override;
    void RepaintNow() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // The form's handler, then the widgets brought up to date.
    void Run(TableWidgets::Handler handler);
    void SyncWindow();

    FrmMain& frm_;
    bool showWindow_;
    bool placed_ = false;
    bool synced_ = false;
    TableWidgets widgets_;
};

} // namespace kernova::qt
