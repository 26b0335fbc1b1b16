#pragma once

#include <chrono>

namespace kernova {

// Says yes at most once per interval: work that checks it per entry or per font pumps
// events and repaints by the clock, not by the count, so a package of ten fonts and one of
// thousands both keep the window painted without spending the run on it.
class Pace {
  public:
    // Often enough for a smooth progress bar and a window that never looks hung.
    static constexpr std::chrono::milliseconds kFrame{30};

    explicit Pace(std::chrono::milliseconds interval = kFrame)
        : interval_(interval), last_(std::chrono::steady_clock::now()) {}

    bool Due() {
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < interval_) {
            return false;
        }
        last_ = now;
        return true;
    }

  private:
    std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point last_;
};

} // namespace kernova
