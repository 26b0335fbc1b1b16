#pragma once

#include <QObject>
#include <chrono>
#include <functional>

namespace kernova::qt {

// Diagnostic for start-up benchmarks (KERNOVA_EXIT_WHEN_SHOWN): once the watched window has
// painted for the first time, reports the time since `started` and calls `done` (which ends
// the program the ordinary way, extracted files removed).
class FirstPaintProbe : public QObject {
  public:
    FirstPaintProbe(QObject& window, std::chrono::steady_clock::time_point started,
                    std::function<void(std::chrono::steady_clock::duration)> done);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::chrono::steady_clock::time_point started_;
    std::function<void(std::chrono::steady_clock::duration)> done_;
    bool seen_ = false;
};

} // namespace kernova::qt
