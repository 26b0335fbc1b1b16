#pragma once

#include <string>

namespace kernova {

// Width in twips of the progress bar's fill after `handled` of `count` fonts: the trough's
// width shared out in single precision, as packages made for the window runtime show it.
int ProgressFillWidth(int troughWidth, int count, int handled);

// The percentage label after `handled` of `count` fonts: the share rounded down, then " %"
// ("33 %" for one of three).
std::string PercentText(int count, int handled);

} // namespace kernova
