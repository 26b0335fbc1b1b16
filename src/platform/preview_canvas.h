#pragma once

#include <string>

namespace kernova {

// A picture panel that keeps what is drawn into it (the welcome page's preview area).
// Units are pixels. Operations that fail throw; the preview skips the failing statement.
class PreviewCanvas {
  public:
    virtual ~PreviewCanvas() = default;

    // Makes the font file usable for drawing until ReleaseFontFile (never an installed
    // font of the same name: exactly this file).
    virtual void AddFontFile(const std::string& path) = 0;
    virtual void ReleaseFontFile(const std::string& path) = 0;

    // Selects a font added by AddFontFile by its full face name; throws when none matches,
    // leaving the current font in use.
    virtual void SetFontName(const std::string& faceName) = 0;
    virtual void SetFontSize(double points) = 0;

    virtual int TextWidth(const std::string& text) = 0;
    // Prints one line at the left edge and moves the print position to the next line.
    virtual void Print(const std::string& text) = 0;
    virtual int CurrentY() = 0;

    virtual int Width() = 0;
    virtual void SetHeight(int pixels) = 0;
};

} // namespace kernova
