#pragma once

#include "ui/frm_main.h"

namespace kernova::win32 {

// The running program's own file (GetModuleFileNameW, whatever it is called) and the
// command-line tail: what follows the program's name on the command line, as written.
StartupInfo MakeStartupInfo();

// Code is loaded from the system's own folder only, never from the installer's folder or
// the extraction folder (where a planted DLL would run with the installer's rights). The
// first thing the program does.
void LoadSystemLibrariesOnly();

// The tail of a whole command line: after the program's name (quoted or not) and the
// blanks that separate it from the rest.
std::wstring CommandLineTail(const std::wstring& commandLine);

} // namespace kernova::win32
