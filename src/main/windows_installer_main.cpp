// Entry point of kernova-installer.exe: the installer stub for Windows that, with a package
// appended, is a font installer (/I, /E, /?; the wizard's windows come later).

#include "app/command_line.h"
#include "platform/platform.h"
#include "platform/win32/console_output.h"
#include "platform/win32/startup_info.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_font_system.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_runtime.h"
#include "platform/win32/win32_shell_folders.h"
#include "ui/frm_main.h"

#include <exception>
#include <string>

namespace {

using namespace kernova;

constexpr const char* kNoWizardMessage =
    "This installer cannot show its wizard yet. Run it with /I to install the fonts, or with "
    "/E to extract the files.";

int Run() {
    StartupInfo startup = win32::MakeStartupInfo();
    const bool silent = SwitchOf(startup.commandLine) != CommandLineSwitch::None;
    win32::ConsoleOutput console(silent);
    win32::Win32Runtime runtime(console, silent);
    try {
        win32::Win32FileSystem files;
        win32::Win32ShellFolders folders;
        win32::Win32FontSystem fonts(files, folders);
        win32::Win32Process process;
        Platform platform{files, fonts, folders, process};
        FrmMain frm(runtime, platform, std::move(startup));
        frm.Form_Load(); // the switches end the program in here
        frm.TellFailure(kNoWizardMessage, false);
        frm.EndProgram(ExitCode::NoDisplay);
    } catch (const std::exception& failure) {
        // Caught so that the stack unwinds: the extraction folder removes itself on the way.
        console.WriteLine(std::string("kernova-installer: ") + failure.what());
    }
    return static_cast<int>(ExitCode::InstallFailed);
}

} // namespace

// A windowed program (no console window of its own) with the wide-character entry point.
int wmain(int /*argc*/, wchar_t** /*argv*/) {
    kernova::win32::LoadSystemLibrariesOnly();
    return Run();
}
