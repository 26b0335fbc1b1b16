#include "fonts/install_progress.h"

#include <cmath>

namespace kernova {

int ProgressFillWidth(int troughWidth, int count, int handled) {
    float width =
        static_cast<float>(troughWidth) / static_cast<float>(count) * static_cast<float>(handled);
    return static_cast<int>(std::lround(width));
}

std::string PercentText(int count, int handled) {
    // Exact integer arithmetic: a share taken in floating point first and then rounded down
    // shows 29 of 100 fonts as "28 %".
    const long long percent = static_cast<long long>(handled) * 100 / count;
    return std::to_string(percent) + " %";
}

} // namespace kernova
