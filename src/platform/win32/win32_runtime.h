#pragma once

#include "platform/runtime.h"
#include "platform/win32/console_output.h"
#include "platform/win32/gdi_preview_canvas.h"

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace kernova {
class FontSystem;
}

namespace kernova::win32 {

class FormWindow;

// The form runtime on Win32. A silent run (/I, /E, /?) never waits on a box: what it has to
// say goes to the console output and takes the box's default answer, so no deployment
// script hangs on a click; only the usage, asked for with nowhere to print it, is shown in
// a box. The wizard's boxes are the system's message boxes over its window, its events are
// pumped through a dialog-style loop (Tab, mnemonics, Enter, Escape), and the form's
// handlers run from that loop, never inside a window's procedure.
class Win32Runtime : public Runtime {
  public:
    Win32Runtime(ConsoleOutput& console, bool silent, FontSystem& fonts);
    ~Win32Runtime() override;

    // Views are brought up to date on PumpEvents, Refresh, before a box and after every
    // handler.
    void AddView(FormWindow& view);
    // Runs `work` at the next turn of the message loop or the pump.
    void Queue(std::function<void()> work);
    // The wizard's message loop; the program ends in one of the handlers it runs.
    [[noreturn]] void RunMessageLoop();

    Answer MsgBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                  const std::string& title = {}) override;
    void ReportError(const std::string& text) override;
    void Report(const std::string& text) override;
    void PumpEvents() override;
    void Refresh() override;
    [[noreturn]] void End(ExitCode code) override;
    bool LoadPicture(const std::string& path, Picture& out) override;
    int TextWidth(const FontSpec& font, const std::string& text) override;
    PreviewCanvas& Preview() override { return previewCanvas(); }
    void OpenUrl(const std::string& address) override;

    // Made when first asked for: a silent run never draws one (and may have no desktop).
    GdiPreviewCanvas& previewCanvas();

  private:
    void SyncViews();
    void Dispatch(MSG& message);
    void RunQueued();

    ConsoleOutput& console_;
    ConsoleOutput results_; // the standard output, where a silent run's results go
    bool silent_;
    FontSystem& fonts_;
    bool comReady_ = false;
    std::unique_ptr<GdiPreviewCanvas> preview_;
    std::vector<FormWindow*> views_;
    std::deque<std::function<void()>> queue_;
};

} // namespace kernova::win32
