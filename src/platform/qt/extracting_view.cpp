#include "platform/qt/extracting_view.h"

#include "platform/qt/form_style.h"
#include "ui/main_form.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>

namespace kernova::qt {

ExtractingView::ExtractingView(const ExtractingForm& form, bool showWindow)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), form_(form),
      showWindow_(showWindow), widgets_(*this, ControlsOf(form), nullptr) {
    setObjectName(QStringLiteral("frmExtracting"));
    setAutoFillBackground(true);
    QPalette face = palette();
    face.setColor(QPalette::Window, MapColor(kSysButtonFace));
    setPalette(face);
    SyncFromState();
}

void ExtractingView::SyncFromState() {
    setFixedSize(TwipsToPixels(form_.clientWidth), TwipsToPixels(form_.clientHeight));
    QString title = ToDisplayText(form_.caption);
    if (windowTitle() != title) {
        setWindowTitle(title);
    }
    widgets_.Sync();

    bool wanted = form_.loaded && form_.visible && showWindow_;
    if (wanted && !isVisible()) {
        QScreen* screen = QGuiApplication::primaryScreen();
        if (screen != nullptr) {
            move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                     screen->availableGeometry())
                     .topLeft());
        }
        show();
    } else if (!wanted && isVisible()) {
        hide();
    }
}

void ExtractingView::RepaintNow() {
    if (isVisible()) {
        repaint();
    }
}

void ExtractingView::closeEvent(QCloseEvent* event) {
    // A notice, not a choice: extraction goes on and the window goes when it is done.
    event->ignore();
}

} // namespace kernova::qt
