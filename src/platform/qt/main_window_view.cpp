#include "platform/qt/main_window_view.h"

#include "platform/qt/form_style.h"
#include "platform/qt/qt_runtime.h"
#include "ui/frm_main.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <cstdint>

namespace kernova::qt {

MainWindowView::MainWindowView(FrmMain& frm, QtRuntime& runtime, bool showWindow)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      frm_(frm), showWindow_(showWindow),
      widgets_(*this, ControlsOf(frm.form), &runtime,
               [this](TableWidgets::Handler handler) { Run(handler); }) {
    setObjectName(QStringLiteral("frmMain"));
    setAutoFillBackground(true);
    QPalette face = palette();
    face.setColor(QPalette::Window, MapColor(kSysButtonFace));
    setPalette(face);
    // Whether Escape cancels is the form's decision.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { Run(&FrmMain::Form_KeyEscape); });
    SyncFromState();
}

void MainWindowView::Run(TableWidgets::Handler handler) {
    (frm_.*handler)();
    SyncFromState();
}

void MainWindowView::SyncFromState() {
    const MainForm& f = frm_.form;
    // A window that stays hidden needs no up-to-date widgets yet (the extraction yields
    // many times while it is hidden); it is brought up to date in full when it shows.
    if (!isVisible() && !(f.visible && showWindow_) && synced_) {
        return;
    }
    synced_ = true;
    setFixedSize(TwipsToPixels(f.clientWidth), TwipsToPixels(f.clientHeight));
    QString title = ToDisplayText(f.caption);
    if (windowTitle() != title) {
        setWindowTitle(title);
    }
    widgets_.Sync();
    SyncWindow();
}

void MainWindowView::SyncWindow() {
    bool wanted = frm_.form.visible && showWindow_;
    if (wanted && !isVisible()) {
        if (!placed_) {
            // Centred on the screen when first shown.
            QScreen* screen = QGuiApplication::primaryScreen();
            if (screen != nullptr) {
                move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                         screen->availableGeometry())
                         .topLeft());
            }
            placed_ = true;
        }
        show();
        if (QWidget* first = widgets_.FirstInTabOrder()) {
            first->setFocus(Qt::OtherFocusReason);
        }
    } else if (!wanted && isVisible()) {
        hide();
    }
}

void MainWindowView::RepaintNow() {
    if (isVisible()) {
        repaint();
    }
}

void MainWindowView::closeEvent(QCloseEvent* event) {
    std::int16_t cancel = 0;
    frm_.Form_Unload(cancel);
    if (cancel != 0) {
        event->ignore();
        SyncFromState();
        return;
    }
    event->accept();
    frm_.EndProgram(ExitCode::Cancelled);
}

} // namespace kernova::qt
