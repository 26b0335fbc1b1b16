#include "fonts/stage_timings.h"

#include <cstdlib>
#include <iomanip>

namespace kernova {

StageTimings::StageTimings() : enabled_(std::getenv("KERNOVA_TIMINGS") != nullptr) {}

StageTimings::Scope::Scope(StageTimings& timings, Part part)
    : timings_(timings), part_(part),
      start_(timings.enabled_ ? std::chrono::steady_clock::now()
                              : std::chrono::steady_clock::time_point{}) {}

StageTimings::Scope::~Scope() {
    if (timings_.enabled_) {
        timings_.spent_[part_] += std::chrono::steady_clock::now() - start_;
    }
}

void StageTimings::Print(std::ostream& out, int fontsCopied) const {
    if (!enabled_) {
        return;
    }
    static constexpr const char* kNames[kPartCount] = {"names", "copies", "registration",
                                                       "font-change", "favorites"};
    for (int part = 0; part < kPartCount; ++part) {
        out << "kernova-timing " << kNames[part] << ' ' << std::fixed << std::setprecision(6)
            << std::chrono::duration<double>(spent_[part]).count() << '\n';
    }
    out << "kernova-timing fonts-copied " << fontsCopied << '\n';
    out.flush();
}

} // namespace kernova
