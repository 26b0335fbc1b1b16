// Entry point of kernova-installer: the installer stub that, with a package appended, is a
// font installer (wizard, /E, /I, /?).

#include "archive/environment_fault.h"
#include "archive/extraction.h"
#include "platform/linux/linux_font_system.h"
#include "platform/linux/startup_info.h"
#include "platform/linux/xdg_shell_folders.h"
#include "platform/path.h"
#include "platform/platform.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_process.h"
#include "platform/qt/display_mode.h"
#include "platform/qt/extracting_view.h"
#include "platform/qt/first_paint_probe.h"
#include "platform/qt/main_window_view.h"
#include "platform/qt/qt_runtime.h"
#include "ui/frm_main.h"

#include <QApplication>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace {

using namespace kernova;

constexpr const char* kNoDisplayMessage =
    "kernova-installer: no display: cannot show the wizard; use /I to install silently or /E "
    "to extract the files\n";

// Diagnostic for start-up benchmarks: when set, the program reports on standard error when
// the wizard has first been painted and then ends (exit status 0, extracted files removed).
constexpr const char* kExitWhenShownVariable = "KERNOVA_EXIT_WHEN_SHOWN";

// Qt gets only the program's name and the platform: the installer's own arguments ("/E")
// are never read as Qt options.
struct QtArguments {
    std::vector<std::string> storage;
    std::vector<char*> argv;
    int argc = 0;

    QtArguments(const char* program, const std::string& platform) {
        storage.push_back(program != nullptr ? program : "kernova-installer");
        if (!platform.empty()) {
            storage.push_back("-platform");
            storage.push_back(platform);
        }
        for (std::string& argument : storage) {
            argv.push_back(argument.data());
        }
        argc = static_cast<int>(storage.size());
        argv.push_back(nullptr);
    }
};

int Run(int argc, char** argv, std::chrono::steady_clock::time_point started) {
    StartupInfo startup = MakeStartupInfo(argc, argv);
    posix::PosixFileSystem files;
    LinuxFontSystem fonts;
    XdgShellFolders folders;
    posix::PosixProcess process;
    Platform platform{files, fonts, folders, process};
    qt::DisplayChoice display =
        qt::ChooseDisplay([](const char* name) { return std::getenv(name); });
    // Qt wants a runtime folder; without XDG_RUNTIME_DIR (sudo, a bare cron shell) it would
    // complain on standard error and make one of its own in the temporary folder. The run's
    // private extraction folder serves instead, and goes with it.
    std::unique_ptr<ExtractionFolder> early;
    std::unique_ptr<TerminationWatch> earlyWatch;
    const char* runtimeFolder = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeFolder == nullptr || *runtimeFolder == '\0') {
        try {
            early = std::make_unique<ExtractionFolder>(files, process.GetTempFolder());
            earlyWatch = process.RemoveOnTermination(early->path());
            ::setenv("XDG_RUNTIME_DIR", ShownFolder(early->path()).c_str(), 1);
        } catch (const EnvironmentFault&) {
            // Loading the package tries again and tells the user why it cannot.
        } catch (const std::system_error&) { // not watched: the folder goes
            early.reset();
        }
    }
    QtArguments qtArguments(argc > 0 ? argv[0] : nullptr, display.platform);
    QApplication app(qtArguments.argc, qtArguments.argv.data());
    QApplication::setApplicationName(QStringLiteral("kernova-installer"));
    // A desktop whose display could not be reached has fallen back to offscreen.
    qt::DisplayMode mode = display.mode == qt::DisplayMode::Headless
                               ? qt::DisplayMode::Headless
                               : qt::ModeOfPlatform(QGuiApplication::platformName().toStdString());
    bool headless = mode == qt::DisplayMode::Headless;
    const char* probeSetting = std::getenv(kExitWhenShownVariable);
    bool probe = probeSetting != nullptr && *probeSetting != '\0';

    std::unique_ptr<qt::QtRuntime> runtime;
    if (headless) {
        runtime = std::make_unique<qt::HeadlessRuntime>(fonts);
    } else {
        runtime = std::make_unique<qt::QtRuntime>(fonts);
    }
    FrmMain frm(*runtime, platform, startup);
    if (early) {
        frm.UseExtractionFolder(std::move(early), std::move(earlyWatch));
    }
    bool showWindows = !headless || probe;
    qt::ExtractingView extracting(frm.frmExtracting, showWindows);
    qt::MainWindowView window(frm, *runtime, showWindows);
    runtime->AddView(extracting);
    runtime->AddView(window);
    std::optional<qt::FirstPaintProbe> firstPaint;
    if (probe) {
        firstPaint.emplace(window, started, [&frm](std::chrono::steady_clock::duration shown) {
            double ms = std::chrono::duration<double, std::milli>(shown).count();
            std::fprintf(stderr, "kernova-installer: wizard shown after %.1f ms\n", ms);
            frm.EndProgram(ExitCode::Done);
        });
    }

    frm.Form_Load(); // the switches end the program in here
    extracting.SyncFromState();
    window.SyncFromState();
    if (headless && !probe) {
        std::fputs(kNoDisplayMessage, stderr);
        frm.EndProgram(ExitCode::NoDisplay);
    }
    QApplication::exec();
    // The window closes only through its handlers, which end the program themselves.
    frm.EndProgram(ExitCode::Cancelled);
}

} // namespace

int main(int argc, char** argv) {
    auto started = std::chrono::steady_clock::now();
    // A closed standard error (a pipe whose reader went away) is no reason to stop
    // installing: the write fails and the run goes on. Ignored before anything is watched,
    // so the termination clean-up leaves it ignored.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        return Run(argc, argv, started);
    } catch (const std::exception& failure) {
        // Caught so that the stack unwinds: the extraction folder removes itself on the way.
        std::fprintf(stderr, "kernova-installer: %s\n", failure.what());
        return static_cast<int>(kernova::ExitCode::InstallFailed);
    }
}
