#include "fonts/preview.h"

#include "fonts/face_name.h"
#include "platform/preview_canvas.h"

#include <exception>

namespace kernova {
namespace {

// The preview is a nicety: a statement that fails is skipped and the next one runs, and
// nothing of it reaches the user.
template <typename Statement> void Skipping(Statement&& statement) {
    try {
        statement();
    } catch (const std::exception&) {
        // skipped on purpose
    }
}

constexpr const char* kLowerLine = "abcdefghijklmnopqrstuvwxyz";
constexpr const char* kUpperLine = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr const char* kDigitLine = "123456789.:,;(*!?')";
constexpr int kBottomMargin = 4; // pixels below the last line

} // namespace

std::optional<int> DrawFontPreview(PreviewCanvas& canvas, FontSystem& fonts,
                                   const std::string& fontFile) {
    // Without a font file the lines are drawn in the area's own font.
    const bool hasFont = !fontFile.empty();
    if (hasFont) {
        Skipping([&] { canvas.AddFontFile(fontFile); });
    }
    Skipping([&] {
        const std::string name = hasFont ? GetFontName(fonts, fontFile) : std::string();
        if (!name.empty()) {
            canvas.SetFontName(name);
        }
    });
    Skipping([&] { canvas.SetFontSize(14); });
    for (double smaller : {12.0, 11.0, 10.0}) {
        Skipping([&] {
            if (canvas.TextWidth(kUpperLine) > canvas.Width()) {
                canvas.SetFontSize(smaller);
            }
        });
    }
    Skipping([&] { canvas.Print(kLowerLine); });
    Skipping([&] { canvas.Print(kUpperLine); });
    Skipping([&] { canvas.Print(kDigitLine); });
    std::optional<int> height;
    Skipping([&] {
        const int pixels = canvas.CurrentY() + kBottomMargin;
        canvas.SetHeight(pixels);
        height = pixels;
    });
    if (hasFont) {
        Skipping([&] { canvas.ReleaseFontFile(fontFile); });
    }
    return height;
}

} // namespace kernova
