#include "platform/win32/win32_runtime.h"

#include "platform/message_box.h"
#include "platform/preview_canvas.h"
#include "platform/win32/gdi_text.h"
#include "platform/win32/wic_pictures.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"

#include <cstdio>
#include <objbase.h>
#include <shellapi.h>
#include <stdexcept>

namespace kernova::win32 {
namespace {

UINT StyleOf(MessageIcon icon, MessageButtons buttons) {
    UINT style = buttons == MessageButtons::OkCancel ? MB_OKCANCEL : MB_OK;
    switch (icon) {
    case MessageIcon::Error:
        return style | MB_ICONERROR;
    case MessageIcon::Exclamation:
        return style | MB_ICONEXCLAMATION;
    case MessageIcon::Information:
        return style | MB_ICONINFORMATION;
    case MessageIcon::None:
        break;
    }
    return style;
}

// The welcome page's preview area, until the wizard has windows to draw in: every drawing
// fails, and the preview skips what fails.
class NoPreviewArea : public PreviewCanvas {
  public:
    void AddFontFile(const std::string&) override { Unavailable(); }
    void ReleaseFontFile(const std::string&) override {}
    void SetFontName(const std::string&) override { Unavailable(); }
    void SetFontSize(double) override { Unavailable(); }
    int TextWidth(const std::string&) override { Unavailable(); }
    void Print(const std::string&) override { Unavailable(); }
    int CurrentY() override { return 0; }
    int Width() override { return 0; }
    void SetHeight(int) override {}

  private:
    [[noreturn]] static void Unavailable() {
        throw std::runtime_error("the preview area is not available");
    }
};

} // namespace

Win32Runtime::Win32Runtime(ConsoleOutput& console, bool silent)
    : console_(console), silent_(silent), preview_(std::make_unique<NoPreviewArea>()) {
    // Pictures are decoded through COM.
    comReady_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

Win32Runtime::~Win32Runtime() {
    if (comReady_) {
        ::CoUninitialize();
    }
}

Answer Win32Runtime::MsgBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                            const std::string& title) {
    const std::string shownTitle = title.empty() ? std::string(kApplicationTitle) : title;
    if (silent_) {
        if (console_.available()) {
            console_.WriteLine(shownTitle + ": " + text);
            return Answer::Ok;
        }
        if (icon != MessageIcon::Information) {
            return Answer::Ok; // the default answer, and the exit status tells the rest
        }
    }
    const int answer =
        ::MessageBoxW(nullptr, WidenText(text).c_str(), WidenText(shownTitle).c_str(),
                      StyleOf(icon, buttons) | MB_SETFOREGROUND);
    return answer == IDCANCEL ? Answer::Cancel : Answer::Ok;
}

void Win32Runtime::ReportError(const std::string& text) {
    console_.WriteLine(std::string(kErrorTitle) + ": " + text);
}

void Win32Runtime::PumpEvents() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

void Win32Runtime::End(ExitCode code) {
    std::fflush(nullptr);
    // At once: no destructor and no handler of the caller runs after this.
    ::ExitProcess(static_cast<UINT>(code));
}

bool Win32Runtime::LoadPicture(const std::string& path, Picture& out) {
    return LoadPictureFile(path, out);
}

int Win32Runtime::TextWidth(const FontSpec& font, const std::string& text) {
    return MeasureText(font, text);
}

PreviewCanvas& Win32Runtime::Preview() {
    return *preview_;
}

void Win32Runtime::OpenUrl(const std::string& address) {
    // The default verb of whatever handles the address; an empty folder, not none.
    ::ShellExecuteW(nullptr, nullptr, WidenText(address).c_str(), nullptr, L"", SW_SHOWNORMAL);
}

} // namespace kernova::win32
