#include "ui/frm_main.h"

#include "archive/extraction.h"
#include "archive/text_routines.h"
#include "platform/platform.h"
#include "platform/process.h"

#include <cstdlib>
#include <utility>

namespace kernova {

FrmMain::FrmMain(Runtime& runtime, Platform& platform, StartupInfo startup)
    : runtime_(runtime), platform_(platform), startup_(std::move(startup)) {}

FrmMain::~FrmMain() = default;

void FrmMain::UseExtractionFolder(std::unique_ptr<ExtractionFolder> folder,
                                  std::unique_ptr<TerminationWatch> watch) {
    extraction_ = std::move(folder);
    watch_ = std::move(watch);
}

// Every file that could not be written is told, and the run does not end in success.
void FrmMain::ExtractFonts() {
    const std::vector<std::string> unwritten =
        kernova::ExtractFonts(platform_.files, startup_.executablePath, directory_, form.AppPath,
                              startup_.executablePath);
    TellFailure(unwritten, true);
    if (!unwritten.empty()) {
        EndProgram(ExitCode::EnvironmentFault);
    }
}

void FrmMain::TellFailure(const std::string& text, bool silent) {
    TellFailure(std::vector<std::string>{text}, silent);
}

void FrmMain::TellFailure(const std::vector<std::string>& lines, bool silent) {
    std::string box;
    for (const std::string& line : lines) {
        const std::string shown = ReplaceControls(line);
        if (silent) {
            runtime_.ReportError(shown);
        } else {
            box += (box.empty() ? "" : "\r\n") + shown;
        }
    }
    if (!box.empty()) {
        runtime_.MsgBox(box, MessageIcon::Error, MessageButtons::Ok, kErrorTitle);
    }
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
