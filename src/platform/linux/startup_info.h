#pragma once

#include "ui/frm_main.h"

namespace kernova {

// The running program's own file (/proc/self/exe resolved; argv[0] made absolute when /proc
// is missing) and the command-line tail: the arguments after the program's name joined by
// single spaces.
StartupInfo MakeStartupInfo(int argc, const char* const* argv);

} // namespace kernova
