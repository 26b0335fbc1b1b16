#include "fonts/preview.h"

#include "fonts/face_name.h"
#include "fonts/preview_sample.h"
#include "fonts/sfnt_cmap.h"
#include "platform/file_system.h"
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

constexpr double kSmallerSizes[] = {12.0, 11.0, 10.0};
constexpr int kBottomMargin = 4; // pixels below the last line

PreviewSample SampleFor(FileSystem& files, const std::string& fontFile) {
    CodePointSet mapped;
    Skipping([&] {
        std::error_code ec;
        if (std::unique_ptr<InputFile> file = files.Open(fontFile, ec)) {
            mapped = ReadMappedCodePoints(*file);
        }
    });
    return ChoosePreviewSample(mapped);
}

// The usual lines, sized by the upper-case line alone (packages have always been drawn
// so, and a line that is still too wide at the smallest size is drawn as it is).
void DrawUsualLines(PreviewCanvas& canvas, const PreviewSample& sample) {
    const std::string upper = LineText(sample.lines[1], 1);
    for (double smaller : kSmallerSizes) {
        Skipping([&] {
            if (canvas.TextWidth(upper) > canvas.Width()) {
                canvas.SetFontSize(smaller);
            }
        });
    }
    for (const PreviewSample::Line& line : sample.lines) {
        Skipping([&] { canvas.Print(LineText(line, line.pieces.size())); });
    }
}

bool AllLinesFit(PreviewCanvas& canvas, const PreviewSample& sample) {
    for (const PreviewSample::Line& line : sample.lines) {
        if (canvas.TextWidth(LineText(line, line.pieces.size())) > canvas.Width()) {
            return false;
        }
    }
    return true;
}

// Any other sample is never clipped: the largest size at which every line fits, and at the
// smallest a line keeps only the pieces that fit (none: the line is left out).
void DrawFittedLines(PreviewCanvas& canvas, const PreviewSample& sample) {
    for (double smaller : kSmallerSizes) {
        Skipping([&] {
            if (!AllLinesFit(canvas, sample)) {
                canvas.SetFontSize(smaller);
            }
        });
    }
    for (const PreviewSample::Line& line : sample.lines) {
        Skipping([&] {
            std::size_t pieces = line.pieces.size();
            while (pieces > 0 && canvas.TextWidth(LineText(line, pieces)) > canvas.Width()) {
                --pieces;
            }
            if (pieces > 0) {
                canvas.Print(LineText(line, pieces));
            }
        });
    }
}

} // namespace

std::optional<int> DrawFontPreview(PreviewCanvas& canvas, FileSystem& files, FontSystem& fonts,
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
    const PreviewSample sample = hasFont ? SampleFor(files, fontFile) : ChoosePreviewSample({});
    if (sample.usual) {
        DrawUsualLines(canvas, sample);
    } else {
        DrawFittedLines(canvas, sample);
    }
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
