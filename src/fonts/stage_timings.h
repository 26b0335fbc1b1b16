#pragma once

#include <array>
#include <chrono>
#include <ostream>

namespace kernova {

// A diagnostic of the installation run: with KERNOVA_TIMINGS set in the environment the
// run prints to standard error how long its parts took. Off otherwise, and then free.
class StageTimings {
  public:
    enum Part { Names, Copies, Registration, FontChange, Favorites, kPartCount };

    StageTimings();

    bool enabled() const { return enabled_; }

    // Adds the time from its creation to its end to one part.
    class Scope {
      public:
        Scope(StageTimings& timings, Part part);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

      private:
        StageTimings& timings_;
        Part part_;
        std::chrono::steady_clock::time_point start_;
    };

    // One line per part: "kernova-timing <part> <seconds>", plus the number of fonts copied.
    void Print(std::ostream& out, int fontsCopied) const;

  private:
    bool enabled_;
    std::array<std::chrono::steady_clock::duration, kPartCount> spent_{};
};

} // namespace kernova
