#pragma once

#include "fonts/sfnt_colour_layers.h"
#include "platform/preview_canvas.h"
#include "platform/qt/private_font_family.h"

#include <QByteArray>
#include <QImage>
#include <QRawFont>
#include <QSize>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kernova {
class FontSystem;
}

namespace kernova::qt {

// The welcome page's preview area. Fonts are loaded straight from the added files (never
// looked up among the installed fonts), so a same-named installed font cannot stand in for
// the package's own; text that needs shaping (another script than Latin) is drawn by Qt in
// a private copy of the selected file (PrivateFontFamily); glyphs in colour layers are drawn
// in their colours. Sizes are points at 96 dpi, so the size
// choice is the same on every screen; the drawing is kept in an image that the view shows.
class QtPreviewCanvas : public PreviewCanvas {
  public:
    // `size` in pixels; `devicePixelRatio` sharpens the kept drawing on dense screens.
    QtPreviewCanvas(FontSystem& fonts, QSize size, double devicePixelRatio);

    void AddFontFile(const std::string& path) override;
    void ReleaseFontFile(const std::string& path) override;
    void SetFontName(const std::string& faceName) override;
    void SetFontSize(double points) override;
    int TextWidth(const std::string& text) override;
    void Print(const std::string& text) override;
    int CurrentY() override { return currentY_; }
    int Width() override { return size_.width(); }
    void SetHeight(int pixels) override;

    // The drawing surface (white where nothing was drawn); the area shows its top size().
    const QImage& image() const { return image_; }
    QSize size() const { return size_; }
    // Full face names of the files added and not yet released.
    std::vector<std::string> AddedFaceNames() const;

  private:
    struct AddedFont {
        std::string path;
        std::string fullName;
        QByteArray data;
    };

    int PixelSize() const;
    QImage BlankImage(QSize size) const;
    // The selected font under its private family; nullptr when Qt cannot use it (text is
    // then drawn glyph by glyph, unshaped).
    const PrivateFontFamily* Shaped();

    FontSystem& fonts_;
    QSize size_;
    double devicePixelRatio_;
    QImage image_;
    std::vector<AddedFont> added_;
    std::optional<QRawFont> selected_; // nullopt: the area's default font
    QByteArray selectedData_;
    ColourGlyphs colours_; // the selected font's colour-layer glyphs
    std::unique_ptr<PrivateFontFamily> shaped_;
    bool shapedTried_ = false;
    double points_ = 8.25;
    int currentY_ = 0;
};

} // namespace kernova::qt
