#include "ui/frm_main.h"

#include "archive/extraction.h"
#include "platform/platform.h"

#include <cstdlib>
#include <utility>

namespace kernova {

FrmMain::FrmMain(Runtime& runtime, Platform& platform, StartupInfo startup)
    : runtime_(runtime), platform_(platform), startup_(std::move(startup)) {}

FrmMain::~FrmMain() = default;

void FrmMain::ExtractFonts() {
    kernova::ExtractFonts(platform_.files, form.lstFiles.items(), form.ExtractPath, form.AppPath);
}

void FrmMain::KillFiles() {
    if (!extraction_) {
        return;
    }
    kernova::KillFiles(platform_.files, form.lstFiles.items(), extraction_->path());
    // The private folder goes too: nothing of the run is left in the temporary folder.
    extraction_->Remove();
}

void FrmMain::EndProgram(ExitCode code) {
    KillFiles();
    runtime_.End(code);
    std::abort(); // End never returns
}

} // namespace kernova
