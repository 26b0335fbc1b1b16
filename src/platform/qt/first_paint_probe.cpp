#include "platform/qt/first_paint_probe.h"

#include <QEvent>
#include <QTimer>

namespace kernova::qt {

FirstPaintProbe::FirstPaintProbe(QObject& window, std::chrono::steady_clock::time_point started,
                                 std::function<void(std::chrono::steady_clock::duration)> done)
    : started_(started), done_(std::move(done)) {
    window.installEventFilter(this);
}

bool FirstPaintProbe::eventFilter(QObject* watched, QEvent* event) {
    if (!seen_ && event->type() == QEvent::Paint) {
        seen_ = true;
        // Report once this paint has reached the screen, not before it is drawn.
        QTimer::singleShot(0, this, [this] { done_(std::chrono::steady_clock::now() - started_); });
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kernova::qt
