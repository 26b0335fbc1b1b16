#pragma once

#include "platform/qt/form_view.h"
#include "platform/qt/table_widgets.h"

#include <QWidget>

namespace kernova {
struct ExtractingForm;
}

namespace kernova::qt {

// The "Extracting..." notice: frmExtracting's control table as widgets, a small fixed window
// without a task-bar button, centred on the screen, that cannot be closed by the user.
class ExtractingView : public QWidget, public FormView {
  public:
    explicit ExtractingView(const ExtractingForm& form, bool showWindow = true);

    void SyncFromState() override;
    void RepaintNow() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    const ExtractingForm& form_;
    bool showWindow_;
    TableWidgets widgets_;
};

} // namespace kernova::qt
