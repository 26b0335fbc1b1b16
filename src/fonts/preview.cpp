#include "fonts/face_name.h"
#include "ui/frm_main.h"

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

// Draws the three sample lines in the package's first font (the extracted file itself) at
// the largest of 14, 12, 11 and 10 points at which the upper-case line fits the area.
void FrmMain::ShowFontPreview() {
    PreviewCanvas& canvas = runtime_.Preview();
    Skipping([&] { form.lblFontPreview.visible = true; });
    Skipping([&] { form.picPreview.visible = true; });
    Skipping([&] { canvas.AddFontFile(form.ExtractPath + form.lstFonts.List(0)); });
    Skipping([&] {
        const std::string name = GetFontName(form.ExtractPath + form.lstFonts.List(0));
        if (!name.empty()) {
            canvas.SetFontName(name);
        }
    });
    Skipping([&] { canvas.SetFontSize(14); });
    Skipping([&] {
        if (canvas.TextWidth(kUpperLine) > canvas.Width()) {
            canvas.SetFontSize(12);
        }
    });
    Skipping([&] {
        if (canvas.TextWidth(kUpperLine) > canvas.Width()) {
            canvas.SetFontSize(11);
        }
    });
    Skipping([&] {
        if (canvas.TextWidth(kUpperLine) > canvas.Width()) {
            canvas.SetFontSize(10);
        }
    });
    Skipping([&] { canvas.Print(kLowerLine); });
    Skipping([&] { canvas.Print(kUpperLine); });
    Skipping([&] { canvas.Print(kDigitLine); });
    Skipping([&] {
        const int height = canvas.CurrentY() + kBottomMargin;
        canvas.SetHeight(height);
        form.picPreview.rect.height = PixelsToTwips(height);
    });
    Skipping([&] { canvas.ReleaseFontFile(form.ExtractPath + form.lstFonts.List(0)); });
}

} // namespace kernova
