#pragma once

#include "platform/preview_canvas.h"
#include "platform/win32/win32_api.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kernova {
class FontSystem;
}

namespace kernova::win32 {

// The welcome page's preview area, drawn with GDI into a bitmap the view shows. A font file
// is added privately (only this process sees it) and selected by the name read from that
// file; a font of the same name that the system has installed is never drawn instead: the
// font GDI picks is checked to be that very file. Units are pixels at 96 dpi, so the size
// choice is the same on every screen; the bitmap is `scale` times as dense.
class GdiPreviewCanvas : public PreviewCanvas {
  public:
    GdiPreviewCanvas(FontSystem& fonts, int widthPx, int heightPx, double scale);
    ~GdiPreviewCanvas() override;
    GdiPreviewCanvas(const GdiPreviewCanvas&) = delete;
    GdiPreviewCanvas& operator=(const GdiPreviewCanvas&) = delete;

    void AddFontFile(const std::string& path) override;
    void ReleaseFontFile(const std::string& path) override;
    void SetFontName(const std::string& faceName) override;
    void SetFontSize(double points) override;
    int TextWidth(const std::string& text) override;
    void Print(const std::string& text) override;
    int CurrentY() override { return currentY_; }
    int Width() override { return width_; }
    void SetHeight(int pixels) override;

    // The drawing for the view: `height()` pixels at 96 dpi of it are the area.
    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    double scale() const { return scale_; }
    // Counts the pixels that are not white: something was drawn.
    int DrawnPixels() const;

  private:
    struct AddedFont {
        std::string path;
        std::string fullName;
        std::string familyName;
        std::string head; // the file's first bytes, to know it again
        std::int64_t size = 0;
    };

    void MakeSurface(int heightPx);
    void Select(HFONT font);
    void Rebuild();
    int Scaled(int pixels) const;

    FontSystem& fonts_;
    int width_;
    int height_;
    double scale_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ originalBitmap_ = nullptr;
    HGDIOBJ originalFont_ = nullptr;
    HFONT font_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
    int surfaceHeight_ = 0; // pixels at 96 dpi
    std::vector<AddedFont> added_;
    std::wstring faceName_; // the selected font's name for GDI; empty: the default font
    double points_ = 8.25;
    int currentY_ = 0;
};

} // namespace kernova::win32
