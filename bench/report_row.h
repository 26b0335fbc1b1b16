#pragma once

// One figure for the report table (bench/report.sh gathers them): a line
//   kernova-bench | measure | fonts/size | ours | reference | ratio | target |
// beside each program's own text. The report adds the machine column.

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline void ReportRow(const std::string& measure, const std::string& size, const std::string& ours,
                      const std::string& reference, const std::string& ratio,
                      const std::string& target) {
    std::printf("kernova-bench | %s | %s | %s | %s | %s | %s |\n", measure.c_str(), size.c_str(),
                ours.c_str(), reference.c_str(), ratio.c_str(), target.c_str());
    std::fflush(stdout);
}

// printf into a string, for the cells.
[[gnu::format(printf, 1, 2)]] inline std::string Format(const char* format, ...) {
    char text[256];
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// "1.23x (1.10-1.35)": a median ratio with its spread over the rounds.
inline std::string RatioCell(double median, const std::vector<double>& ratios) {
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    return Format("%.2fx (%.2f-%.2f)", median, *low, *high);
}

} // namespace bench
