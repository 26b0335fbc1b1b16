#include "app/command_line.h"
#include "platform/path.h"
#include "ui/frm_main.h"

#include <filesystem>

namespace kernova {

void FrmMain::Form_Load() {
    form.visible = false;

    // Where the executable (and with it the package) lies, ending in the separator.
    const std::filesystem::path folder =
        std::filesystem::path(startup_.executablePath).parent_path();
    form.AppPath = folder.empty() ? std::string(".") : folder.string();
    AddBackslash(form.AppPath);

    Start();

    form.picLicense.visible = false;
    form.picReadme.visible = false;
    form.picInstall.visible = false;
    form.picFinish.visible = false;
    form.picWelcome.visible = false;

    RunCommandLine(*this);

    form.picWelcome.visible = true;
    form.License = !form.txtLicense.text.empty();
    form.ReadMe = !form.txtReadme.text.empty();
    form.visible = true;
}

// Closing the window is leaving the wizard: the extracted files go, and the program ends
// with the status of the page it was closed on.
void FrmMain::Form_Unload(std::int16_t& cancel) {
    (void)cancel; // closing is never refused
    EndProgram(form.picFinish.visible ? FinishExitCode() : ExitCode::Cancelled);
}

void FrmMain::cmdCancel_Click() {
    EndProgram(ExitCode::Cancelled);
}

} // namespace kernova
