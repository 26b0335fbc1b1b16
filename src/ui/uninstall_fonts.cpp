#include "fonts/uninstall_run.h"
#include "platform/platform.h"
#include "ui/frm_main.h"

namespace kernova {

// /U tells each file it kept and why, each failure, and one summary line; a package with
// nothing installed here changes nothing and says so by its status.
void FrmMain::UninstallFonts() {
    const UninstallState state = kernova::UninstallFonts(platform_, form.PackageTitle);
    for (const std::string& note : state.notes) {
        runtime_.Report(note);
    }
    TellFailure(state.problems, true);
    if (state.removed + state.kept + state.failed == 0 && state.problems.empty()) {
        runtime_.Report(form.PackageTitle + " has installed no fonts here");
        EndProgram(ExitCode::NothingToDo);
    }
    runtime_.Report(UninstallSummaryLine(state));
    EndProgram(state.problems.empty() ? ExitCode::Done : ExitCode::EnvironmentFault);
}

} // namespace kernova
