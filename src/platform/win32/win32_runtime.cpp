#include "platform/win32/win32_runtime.h"

#include "platform/message_box.h"
#include "platform/preview_canvas.h"
#include "platform/win32/form_window.h"
#include "platform/win32/gdi_text.h"
#include "platform/win32/wic_pictures.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"
#include "ui/main_form.h"

#include <cstdio>
#include <objbase.h>
#include <shellapi.h>

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

} // namespace

Win32Runtime::Win32Runtime(ConsoleOutput& console, bool silent, FontSystem& fonts)
    : console_(console), results_(silent, ConsoleOutput::Stream::Output), silent_(silent),
      fonts_(fonts) {
    // Pictures are decoded through COM.
    comReady_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

GdiPreviewCanvas& Win32Runtime::previewCanvas() {
    if (!preview_) {
        // The preview area as designed, in pixels at 96 dpi, drawn as densely as the screen.
        const Rect& area = MainForm().picPreview.rect;
        HDC screen = ::GetDC(nullptr);
        const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
        ::ReleaseDC(nullptr, screen);
        preview_ = std::make_unique<GdiPreviewCanvas>(fonts_, TwipsToPixels(area.width),
                                                      TwipsToPixels(area.height), dpi / 96.0);
    }
    return *preview_;
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
    Refresh(); // the window behind the box shows the state the box speaks of
    HWND owner = nullptr;
    for (FormWindow* view : views_) {
        if (::IsWindowVisible(view->hwnd())) {
            owner = view->hwnd();
        }
    }
    const int answer = ::MessageBoxW(owner, WidenText(text).c_str(), WidenText(shownTitle).c_str(),
                                     StyleOf(icon, buttons) | MB_SETFOREGROUND);
    return answer == IDCANCEL ? Answer::Cancel : Answer::Ok;
}

void Win32Runtime::ReportError(const std::string& text) {
    console_.WriteLine(std::string(kErrorTitle) + ": " + text);
}

void Win32Runtime::Report(const std::string& text) {
    (results_.available() ? results_ : console_).WriteLine(text);
}

void Win32Runtime::AddView(FormWindow& view) {
    views_.push_back(&view);
}

void Win32Runtime::Queue(std::function<void()> work) {
    queue_.push_back(std::move(work));
    // Wakes the loop if it waits for a message.
    if (!views_.empty()) {
        ::PostMessageW(views_.front()->hwnd(), WM_NULL, 0, 0);
    }
}

void Win32Runtime::SyncViews() {
    for (FormWindow* view : views_) {
        view->Sync();
    }
}

void Win32Runtime::RunQueued() {
    while (!queue_.empty()) {
        std::function<void()> work = std::move(queue_.front());
        queue_.pop_front();
        work();
        SyncViews();
    }
}

void Win32Runtime::Dispatch(MSG& message) {
    // The keyboard works as in a dialog: Tab, mnemonics, Enter and Escape.
    for (FormWindow* view : views_) {
        if (message.hwnd != nullptr &&
            (message.hwnd == view->hwnd() || ::IsChild(view->hwnd(), message.hwnd)) &&
            ::IsDialogMessageW(view->hwnd(), &message)) {
            return;
        }
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

void Win32Runtime::PumpEvents() {
    SyncViews();
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        Dispatch(message);
    }
    RunQueued();
}

void Win32Runtime::RunMessageLoop() {
    SyncViews(); // the windows as the form loaded
    for (;;) {
        RunQueued();
        MSG message;
        if (::GetMessageW(&message, nullptr, 0, 0) <= 0) {
            End(ExitCode::Cancelled); // nothing asks the loop to stop: the windows are gone
        }
        Dispatch(message);
    }
}

void Win32Runtime::Refresh() {
    SyncViews();
    for (FormWindow* view : views_) {
        view->RepaintNow();
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

void Win32Runtime::OpenUrl(const std::string& address) {
    // The default verb of whatever handles the address; an empty folder, not none.
    ::ShellExecuteW(nullptr, nullptr, WidenText(address).c_str(), nullptr, L"", SW_SHOWNORMAL);
}

} // namespace kernova::win32
