#pragma once

#include "archive/archive_directory.h"
#include "platform/exit_code.h"
#include "platform/runtime.h"
#include "ui/main_form.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kernova {

class ExtractionFolder;
class TerminationWatch;
struct Platform;

// Where the program runs from: its own executable (which carries the package) and the
// command-line tail (the arguments joined by single spaces).
struct StartupInfo {
    std::string executablePath; // empty when it cannot be found safely
    std::string commandLine;
};

// The wizard window: its state and its handlers. Handlers change `form`, call the runtime
// for everything a user sees or that ends the program, and the platform for the rest.
class FrmMain {
  public:
    FrmMain(Runtime& runtime, Platform& platform, StartupInfo startup);
    ~FrmMain();
    FrmMain(const FrmMain&) = delete;
    FrmMain& operator=(const FrmMain&) = delete;

    MainForm form;
    ExtractingForm frmExtracting;

    // Start-up and the ways out (app/)
    void Form_Load();
    void Form_Unload(std::int16_t& cancel);
    void cmdCancel_Click();
    void Start();

    // Navigation (ui/)
    void cmdNext_Click();
    void cmdBack_Click();
    void optAgree_Click();
    void optDisagree_Click();
    void Form_KeyEscape();

    // Web link (ui/)
    void lblLink_Click();
    void GoWeb(std::string& webAddress);

    // Fonts
    void ShowFontPreview();
    void InstallFonts(bool& Silent);
    // /U: removes what this package installed; ends the program.
    [[noreturn]] void UninstallFonts();

    // ExtractFonts writes every entry of the package next to the executable.
    void ExtractFonts();
    void KillFiles();

    Runtime& runtime() { return runtime_; }
    Platform& platform() { return platform_; }
    const StartupInfo& startup() const { return startup_; }

    // Takes `folder`, made in the temporary folder before the form loaded and watched by
    // `watch`, as the private extraction folder.
    void UseExtractionFolder(std::unique_ptr<ExtractionFolder> folder,
                             std::unique_ptr<TerminationWatch> watch);

    // Tells the user of a failure: a line on standard error in a silent run, else a box.
    // Control characters (from a package or a font) are replaced.
    void TellFailure(const std::string& text, bool silent);
    // Several at once: a line each, or one box with a line each.
    void TellFailure(const std::vector<std::string>& lines, bool silent);

    // Removes the extracted files and the private extraction folder, then ends the
    // program with `code`. Every way out of the program goes through here.
    [[noreturn]] void EndProgram(ExitCode code);

    // How a run that reached the finish page ends: with the installation's outcome.
    ExitCode FinishExitCode() const { return finishCode_; }

  private:
    Runtime& runtime_;
    Platform& platform_;
    StartupInfo startup_;
    ExitCode finishCode_ = ExitCode::Done;
    ArchiveDirectory directory_; // the package's entries, as the start-up read them
    std::unique_ptr<ExtractionFolder> extraction_;
    // Removes the extraction folder when the process is told to stop; declared after the
    // folder so that it lets go before the folder goes.
    std::unique_ptr<TerminationWatch> watch_;
};

} // namespace kernova
