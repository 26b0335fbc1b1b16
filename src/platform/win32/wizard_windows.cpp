#include "platform/win32/wizard_windows.h"

#include "platform/win32/termination_cleanup.h"
#include "platform/win32/win32_runtime.h"
#include "ui/frm_main.h"

#include <cstdint>

namespace kernova::win32 {
namespace {

WindowState ExtractingState(const ExtractingForm& form) {
    return {&form.caption, [&form] { return form.loaded && form.visible; }, form.clientWidth,
            form.clientHeight};
}

WindowState MainState(const MainForm& form) {
    return {&form.caption, [&form] { return form.visible; }, form.clientWidth, form.clientHeight};
}

// A notice, not a choice: no keys, and its close box does nothing.
WindowBehaviour ExtractingBehaviour() {
    WindowBehaviour behaviour;
    behaviour.toolWindow = true;
    return behaviour;
}

WindowBehaviour MainBehaviour(FrmMain& frm, Win32Runtime& runtime) {
    WindowBehaviour behaviour;
    behaviour.click = [&frm, &runtime](WindowBehaviour::Handler handler) {
        runtime.Queue([&frm, handler] { (frm.*handler)(); });
    };
    // Whether Escape cancels is the form's decision.
    behaviour.escape = [&frm, &runtime] { runtime.Queue([&frm] { frm.Form_KeyEscape(); }); };
    // Closing is leaving the wizard; the form's unload ends the program.
    behaviour.close = [&frm, &runtime] {
        runtime.Queue([&frm] {
            std::int16_t cancel = 0;
            frm.Form_Unload(cancel);
        });
    };
    // The system ends the process when this returns: the run's files go first.
    behaviour.endSession = [] { TerminationCleanup::Instance().EndOfSession(); };
    behaviour.defaultButton = "cmdNext";
    return behaviour;
}

} // namespace

WizardWindows::WizardWindows(FrmMain& frm, Win32Runtime& runtime, std::optional<int> dpi)
    : extracting_(ControlsOf(frm.frmExtracting), ExtractingState(frm.frmExtracting),
                  ExtractingBehaviour(), nullptr, dpi),
      main_(ControlsOf(frm.form), MainState(frm.form), MainBehaviour(frm, runtime),
            &runtime.previewCanvas(), dpi) {
    runtime.AddView(extracting_);
    runtime.AddView(main_);
}

} // namespace kernova::win32
