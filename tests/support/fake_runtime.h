#pragma once

#include "platform/runtime.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace kernova::test {

// A scripted preview area: fonts have a fixed width per character, so sizes are known.
class FakePreviewCanvas : public PreviewCanvas {
  public:
    // Width of one character at `points` for a font named `faceName` (default font: "").
    double charWidthPerPoint = 0.6;
    std::vector<std::string> addedFiles, releasedFiles, printed;
    std::string fontName; // "" = the area's default font
    double fontSize = 8.25;
    int width = 289;
    int height = 73;
    int currentY = 0;
    int lineHeightPerPoint = 1; // line height in pixels = points * this, rounded down
    // Face names that SetFontName accepts (as if those files had been added).
    std::vector<std::string> knownNames;

    void AddFontFile(const std::string& path) override;
    void ReleaseFontFile(const std::string& path) override;
    void SetFontName(const std::string& faceName) override;
    void SetFontSize(double points) override;
    int TextWidth(const std::string& text) override;
    void Print(const std::string& text) override;
    int CurrentY() override { return currentY; }
    int Width() override { return width; }
    void SetHeight(int pixels) override { height = pixels; }
};

// A runtime for tests: message boxes are recorded and answered from a script (OK when the
// script is empty), End throws ProgramEnded, pictures load when the file starts with a
// PNG, JPEG, GIF or BMP signature.
class FakeRuntime : public Runtime {
  public:
    struct Box {
        std::string text;
        MessageIcon icon;
        MessageButtons buttons;
        std::string title;
    };
    std::vector<Box> boxes;
    std::deque<Answer> answers;
    int yields = 0;
    int refreshes = 0;
    std::vector<std::string> openedUrls;
    std::vector<std::string> loadedPictures;
    // Pixels per character for label text measurement, per font size (points * factor).
    double labelCharWidthPerPoint = 0.75;
    // When set, label text is measured by this instead (exact widths for boundary tests).
    std::function<int(const FontSpec&, const std::string&)> measure;
    FakePreviewCanvas preview;
    // When set, Preview() hands out this area instead of `preview`.
    PreviewCanvas* previewOverride = nullptr;

    Answer MsgBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                  const std::string& title = {}) override;
    void PumpEvents() override { ++yields; }
    void Refresh() override { ++refreshes; }
    [[noreturn]] void End(ExitCode code) override { throw ProgramEnded{code}; }
    bool LoadPicture(const std::string& path, Picture& out) override;
    int TextWidth(const FontSpec& font, const std::string& text) override;
    PreviewCanvas& Preview() override {
        return previewOverride ? *previewOverride : static_cast<PreviewCanvas&>(preview);
    }
    void OpenUrl(const std::string& address) override { openedUrls.push_back(address); }
};

} // namespace kernova::test
