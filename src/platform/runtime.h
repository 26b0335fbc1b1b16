#pragma once

#include "platform/exit_code.h"
#include "platform/message_box.h"
#include "platform/picture.h"
#include "platform/preview_canvas.h"

#include <string>

namespace kernova {

struct FontSpec;

// Thrown by a runtime whose End() does not terminate the process (the scripted test
// runtime), so that "no later statement runs" holds in tests too.
struct ProgramEnded {
    ExitCode code;
};

// The form runtime the handlers call: message boxes, the event pump, repainting,
// the end of the program, picture loading and text measurement.
// The Qt runtime drives real widgets; tests use a scripted fake.
class Runtime {
  public:
    virtual ~Runtime() = default;

    // Modal; an empty title shows the application title.
    virtual Answer MsgBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                          const std::string& title = {}) = 0;

    // One failure of a silent run (/I, /E) told on standard error, never in a box: scripts
    // read it and nothing waits for a click.
    virtual void ReportError(const std::string& text) = 0;

    // What a silent run did, one line on standard output (on Windows, where its errors
    // go): scripts read it.
    virtual void Report(const std::string& text) = 0;

    // Processes pending window events, then returns.
    virtual void PumpEvents() = 0;

    // Brings every window up to date with the form state and repaints at once.
    virtual void Refresh() = 0;

    // Ends the program at once with `code`: nothing after it runs.
    [[noreturn]] virtual void End(ExitCode code) = 0;

    // Loads a picture file; returns false when it is not a picture the platform can load.
    virtual bool LoadPicture(const std::string& path, Picture& out) = 0;

    // Width in pixels of `text` drawn in `font` as a label would draw it.
    virtual int TextWidth(const FontSpec& font, const std::string& text) = 0;

    // The welcome page's preview area.
    virtual PreviewCanvas& Preview() = 0;

    // Opens an address with the desktop's default handler; failures are not reported.
    virtual void OpenUrl(const std::string& address) = 0;
};

} // namespace kernova
