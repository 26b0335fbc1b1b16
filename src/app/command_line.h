#pragma once

#include <string>

namespace kernova {

class FrmMain;

enum class CommandLineSwitch { None, Extract, Install, Uninstall, Usage };

// The switch a command-line tail selects. Only the last two characters of the tail,
// trimmed of spaces (not tabs) and upper-cased, count: "/E", "/I", "/U" or "/?".
CommandLineSwitch SwitchOf(const std::string& tail);

inline constexpr const char* kUsageText = "Command line options:\r\n\r\n"
                                          "/E -- Extract files\r\n"
                                          "/I -- Silent install\r\n"
                                          "/U -- Uninstall the fonts this package installed";

// Runs the switch of the window's command line, if any; each switch ends the program.
void RunCommandLine(FrmMain& frm);

} // namespace kernova
