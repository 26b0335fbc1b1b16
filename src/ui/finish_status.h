#pragma once

#include "platform/exit_code.h"
#include "ui/main_form.h"

namespace kernova {

// How a run that reached the finish page ends: its button reads "&Close" after a failed
// installation and "&Finish" after a successful one.
inline ExitCode FinishExitCode(const MainForm& form) {
    return form.cmdNext.caption == "&Close" ? ExitCode::InstallFailed : ExitCode::Done;
}

} // namespace kernova
