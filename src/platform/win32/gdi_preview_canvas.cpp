#include "platform/win32/gdi_preview_canvas.h"

#include "archive/text_routines.h"
#include "fonts/sfnt_full_name.h"
#include "platform/font_system.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_input_file.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <stdexcept>

namespace kernova::win32 {
namespace {

// Lines printed below the area's bottom edge are kept for when the area grows to fit them.
constexpr int kMinimumSurfaceHeight = 512;
// Enough of a font file's start to tell it from any other font of the same size.
constexpr std::size_t kHeadBytes = 4096;

// Full names as the font registry compares them: without regard to case and spaces.
std::wstring Folded(const std::string& name) {
    std::wstring folded;
    for (wchar_t c : WidenText(name)) {
        if (c != L' ') {
            folded += static_cast<wchar_t>(std::towupper(c));
        }
    }
    return folded;
}

std::string Head(InputFile& file) {
    std::string head(static_cast<std::size_t>(std::min<std::int64_t>(file.Size(), kHeadBytes)),
                     '\0');
    if (file.ReadAt(0, head.data(), head.size())) {
        throw std::runtime_error("cannot read the font file");
    }
    return head;
}

// True when the font selected into `dc` comes from the file whose size and first bytes
// are these (a collection is compared whole).
bool SelectedFontIs(HDC dc, std::int64_t size, const std::string& head) {
    for (DWORD table : {DWORD{0}, DWORD{0x66637474}}) { // the face's file; 'ttcf' a collection
        const DWORD whole = ::GetFontData(dc, table, 0, nullptr, 0);
        if (whole == GDI_ERROR || static_cast<std::int64_t>(whole) != size) {
            continue;
        }
        std::string bytes(head.size(), '\0');
        if (::GetFontData(dc, table, 0, bytes.data(), static_cast<DWORD>(bytes.size())) ==
                static_cast<DWORD>(bytes.size()) &&
            bytes == head) {
            return true;
        }
    }
    return false;
}

} // namespace

GdiPreviewCanvas::GdiPreviewCanvas(FontSystem& fonts, int widthPx, int heightPx, double scale)
    : fonts_(fonts), width_(widthPx), height_(heightPx), scale_(std::max(1.0, scale)) {
    dc_ = ::CreateCompatibleDC(nullptr);
    MakeSurface(std::max(heightPx, kMinimumSurfaceHeight));
    Rebuild();
}

GdiPreviewCanvas::~GdiPreviewCanvas() {
    if (dc_ != nullptr) {
        ::SelectObject(dc_, originalFont_);
        ::SelectObject(dc_, originalBitmap_);
        ::DeleteDC(dc_);
    }
    if (font_ != nullptr) {
        ::DeleteObject(font_);
    }
    if (bitmap_ != nullptr) {
        ::DeleteObject(bitmap_);
    }
    for (const AddedFont& font : added_) {
        ::RemoveFontResourceExW(WidenPath(font.path).c_str(), FR_PRIVATE, nullptr);
    }
}

int GdiPreviewCanvas::Scaled(int pixels) const {
    return static_cast<int>(std::lround(pixels * scale_));
}

void GdiPreviewCanvas::MakeSurface(int heightPx) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = Scaled(width_);
    info.bmiHeader.biHeight = -Scaled(heightPx); // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP grown = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (grown == nullptr || dc_ == nullptr) {
        throw std::runtime_error("cannot make the preview's drawing surface");
    }
    auto* pixels = static_cast<std::uint32_t*>(bits);
    std::fill(pixels, pixels + static_cast<std::size_t>(Scaled(width_)) * Scaled(heightPx),
              0x00FFFFFFu);
    if (bitmap_ != nullptr) {
        // What was drawn stays: copied into the top of the taller surface.
        HDC old = ::CreateCompatibleDC(nullptr);
        HGDIOBJ previous = ::SelectObject(old, grown);
        ::BitBlt(old, 0, 0, Scaled(width_), Scaled(surfaceHeight_), dc_, 0, 0, SRCCOPY);
        ::SelectObject(old, previous);
        ::DeleteDC(old);
    }
    HGDIOBJ replaced = ::SelectObject(dc_, grown);
    if (bitmap_ == nullptr) {
        originalBitmap_ = replaced;
    } else {
        ::DeleteObject(bitmap_);
    }
    bitmap_ = grown;
    pixels_ = pixels;
    surfaceHeight_ = heightPx;
}

void GdiPreviewCanvas::AddFontFile(const std::string& path) {
    std::error_code ec;
    std::unique_ptr<Win32InputFile> file = Win32InputFile::Open(path, ec, Links::Follow);
    if (!file) {
        throw std::runtime_error("cannot read the font file " + path);
    }
    AddedFont added{path, fonts_.FaceName(path), SfntName(*file, 1), Head(*file), file->Size()};
    if (::AddFontResourceExW(WidenPath(path).c_str(), FR_PRIVATE, nullptr) == 0) {
        throw std::runtime_error("not a usable font: " + path);
    }
    added_.push_back(std::move(added));
}

void GdiPreviewCanvas::ReleaseFontFile(const std::string& path) {
    auto found = std::find_if(added_.begin(), added_.end(),
                              [&](const AddedFont& font) { return font.path == path; });
    if (found == added_.end()) {
        throw std::runtime_error("font file was not added: " + path);
    }
    ::RemoveFontResourceExW(WidenPath(path).c_str(), FR_PRIVATE, nullptr);
    added_.erase(found);
}

void GdiPreviewCanvas::SetFontName(const std::string& faceName) {
    if (Folded(faceName).empty()) {
        throw std::runtime_error("empty font name");
    }
    auto named = std::find_if(added_.begin(), added_.end(),
                              [&](const AddedFont& font) { return font.fullName == faceName; });
    if (named == added_.end()) {
        named = std::find_if(added_.begin(), added_.end(), [&](const AddedFont& font) {
            return !font.fullName.empty() && Folded(font.fullName) == Folded(faceName);
        });
    }
    if (named == added_.end()) {
        throw std::runtime_error("no added font is named " + faceName);
    }
    // GDI takes a face by its full name or its family name, of at most 31 characters; each
    // is tried, and kept only when GDI's choice is the added file itself.
    const std::wstring previous = faceName_;
    for (const std::string& name : {named->fullName, named->familyName}) {
        const std::wstring wide = WidenText(TrimSpaces(name));
        if (wide.empty() || wide.size() >= LF_FACESIZE) {
            continue;
        }
        faceName_ = wide;
        Rebuild();
        if (SelectedFontIs(dc_, named->size, named->head)) {
            return;
        }
    }
    faceName_ = previous;
    Rebuild();
    throw std::runtime_error("the system draws another font for " + faceName);
}

void GdiPreviewCanvas::SetFontSize(double points) {
    if (!(points > 0) || points > 2048) {
        throw std::invalid_argument("font size out of range");
    }
    points_ = points;
    Rebuild();
}

void GdiPreviewCanvas::Rebuild() {
    LOGFONTW log{};
    // Points at 96 dpi, rounded to whole pixels like a screen font's height; then scaled.
    const int pixels = std::max(1, static_cast<int>(std::lround(points_ * 96.0 / 72.0)));
    log.lfHeight = -Scaled(pixels);
    log.lfWeight = FW_NORMAL;
    log.lfCharSet = DEFAULT_CHARSET;
    log.lfQuality = ANTIALIASED_QUALITY;
    const std::wstring face = faceName_.empty() ? std::wstring(L"Tahoma") : faceName_;
    face.copy(log.lfFaceName, LF_FACESIZE - 1);
    HFONT font = ::CreateFontIndirectW(&log);
    if (font == nullptr) {
        throw std::runtime_error("cannot make the font");
    }
    HGDIOBJ replaced = ::SelectObject(dc_, font);
    if (font_ == nullptr) {
        originalFont_ = replaced;
    } else {
        ::DeleteObject(font_);
    }
    font_ = font;
}

int GdiPreviewCanvas::TextWidth(const std::string& text) {
    const std::wstring wide = WidenText(text);
    SIZE size{};
    ::GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size);
    return static_cast<int>(std::lround(size.cx / scale_));
}

void GdiPreviewCanvas::Print(const std::string& text) {
    const std::wstring wide = WidenText(text);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc_, &metrics);
    const int lineHeight = static_cast<int>(std::ceil(metrics.tmHeight / scale_));
    if (currentY_ + lineHeight > surfaceHeight_) {
        MakeSurface(std::max(surfaceHeight_ * 2, currentY_ + lineHeight));
    }
    ::SetBkMode(dc_, TRANSPARENT);
    ::SetTextColor(dc_, RGB(0, 0, 0));
    ::TextOutW(dc_, 0, Scaled(currentY_), wide.c_str(), static_cast<int>(wide.size()));
    ::GdiFlush();
    currentY_ += lineHeight;
}

void GdiPreviewCanvas::SetHeight(int pixels) {
    if (pixels < 0) {
        throw std::invalid_argument("negative height");
    }
    if (pixels > surfaceHeight_) {
        MakeSurface(pixels);
    }
    height_ = pixels;
}

int GdiPreviewCanvas::DrawnPixels() const {
    ::GdiFlush();
    const std::size_t count = static_cast<std::size_t>(Scaled(width_)) * Scaled(surfaceHeight_);
    return static_cast<int>(std::count_if(pixels_, pixels_ + count, [](std::uint32_t pixel) {
        return (pixel & 0x00FFFFFFu) != 0x00FFFFFFu;
    }));
}

} // namespace kernova::win32
