#include "fonts/install_progress.h"

#include <cmath>

namespace kernova {

int ProgressFillWidth(int troughWidth, int count, int handled) {
    float width =
        static_cast<float>(troughWidth) / static_cast<float>(count) * static_cast<float>(handled);
    return static_cast<int>(std::lround(width));
}

std::string PercentText(int count, int handled) {
    double percent = std::floor(static_cast<double>(handled) / count * 100);
    return std::to_string(static_cast<long long>(percent)) + " %";
}

} // namespace kernova
