// Entry point of kernova-installer.exe: the installer stub for Windows that, with a package
// appended, is a font installer (wizard, /I, /E, /?).

#include "app/command_line.h"
#include "platform/platform.h"
#include "platform/win32/console_output.h"
#include "platform/win32/startup_info.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_font_system.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_runtime.h"
#include "platform/win32/win32_shell_folders.h"
#include "platform/win32/wizard_windows.h"
#include "ui/frm_main.h"

#include <exception>
#include <optional>
#include <stdexcept>
#include <string>

namespace {

using namespace kernova;

constexpr const char* kNoDesktopMessage =
    "kernova-installer: no desktop to show the wizard on; use /I to install silently or /E "
    "to extract the files";

int Run() {
    StartupInfo startup = win32::MakeStartupInfo();
    const bool silent = SwitchOf(startup.commandLine) != CommandLineSwitch::None;
    win32::ConsoleOutput console(silent);
    win32::Win32FileSystem files;
    win32::Win32ShellFolders folders;
    win32::Win32FontSystem fonts(files, folders);
    win32::Win32Process process;
    Platform platform{files, fonts, folders, process};
    win32::Win32Runtime runtime(console, silent, fonts);
    try {
        FrmMain frm(runtime, platform, std::move(startup));
        // A silent run shows no window: nothing flashes up in a deployment script, and it
        // runs where there is no desktop at all.
        std::optional<win32::WizardWindows> windows;
        if (!silent) {
            try {
                windows.emplace(frm, runtime);
            } catch (const std::runtime_error&) {
                console.WriteLine(kNoDesktopMessage);
                return static_cast<int>(ExitCode::NoDisplay);
            }
        }
        frm.Form_Load(); // the switches end the program in here
        runtime.RunMessageLoop();
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
