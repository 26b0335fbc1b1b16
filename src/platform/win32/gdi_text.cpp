#include "platform/win32/gdi_text.h"

#include "platform/win32/wide_text.h"
#include "ui/controls.h"

#include <cmath>
#include <cwchar>

namespace kernova::win32 {

HFONT CreateFormFont(const FontSpec& font, int dpi) {
    LOGFONTW log{};
    log.lfHeight = -static_cast<LONG>(std::lround(font.points * dpi / 72.0));
    log.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    log.lfCharSet = DEFAULT_CHARSET;
    log.lfQuality = CLEARTYPE_QUALITY;
    std::wcsncpy(log.lfFaceName, WidenText(font.face).c_str(), LF_FACESIZE - 1);
    return ::CreateFontIndirectW(&log);
}

int MeasureText(const FontSpec& font, const std::string& text) {
    // A memory DC of its own: measuring needs no window and no display.
    HDC dc = ::CreateCompatibleDC(nullptr);
    HFONT gdiFont = CreateFormFont(font);
    if (dc == nullptr || gdiFont == nullptr) {
        if (dc != nullptr) {
            ::DeleteDC(dc);
        }
        return 0;
    }
    HGDIOBJ previous = ::SelectObject(dc, gdiFont);
    const std::wstring wide = WidenText(text);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    ::SelectObject(dc, previous);
    ::DeleteObject(gdiFont);
    ::DeleteDC(dc);
    return static_cast<int>(size.cx);
}

} // namespace kernova::win32
