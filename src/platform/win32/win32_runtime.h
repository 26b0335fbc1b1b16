#pragma once

#include "platform/runtime.h"
#include "platform/win32/console_output.h"

#include <memory>

namespace kernova::win32 {

// The form runtime on Win32. A silent run (/I, /E, /?) never waits on a box: what it has to
// say goes to the console output and takes the box's default answer, so no deployment
// script hangs on a click; only the usage, asked for with nowhere to print it, is shown in
// a box. The wizard's boxes are the system's message boxes.
class Win32Runtime : public Runtime {
  public:
    Win32Runtime(ConsoleOutput& console, bool silent);
    ~Win32Runtime() override;

    Answer MsgBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                  const std::string& title = {}) override;
    void ReportError(const std::string& text) override;
    void PumpEvents() override;
    void Refresh() override {}
    [[noreturn]] void End(ExitCode code) override;
    bool LoadPicture(const std::string& path, Picture& out) override;
    int TextWidth(const FontSpec& font, const std::string& text) override;
    PreviewCanvas& Preview() override;
    void OpenUrl(const std::string& address) override;

  private:
    ConsoleOutput& console_;
    bool silent_;
    bool comReady_ = false;
    std::unique_ptr<PreviewCanvas> preview_;
};

} // namespace kernova::win32
