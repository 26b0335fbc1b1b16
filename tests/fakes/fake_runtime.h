#pragma once

#include "platform/runtime.h"
#include "ui/main_form.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace kernova {
class FileSystem;
}

namespace kernova::test {

// A scripted preview area: a character is `charWidthPerPoint` x the size wide and a line
// `lineHeightPerPoint` x the size high, so the sizes chosen are known.
class FakePreviewCanvas : public PreviewCanvas {
  public:
    double charWidthPerPoint = 0.6;
    int lineHeightPerPoint = 1;
    std::vector<std::string> knownNames; // face names SetFontName accepts
    std::vector<std::string> addedFiles, releasedFiles, printed;
    std::string fontName; // "" = the area's default font
    double fontSize = 8.25;
    int width = 289;
    int height = 73;
    int currentY = 0;

    void AddFontFile(const std::string& path) override { addedFiles.push_back(path); }
    void ReleaseFontFile(const std::string& path) override { releasedFiles.push_back(path); }
    void SetFontName(const std::string& faceName) override;
    void SetFontSize(double points) override { fontSize = points; }
    int TextWidth(const std::string& text) override;
    void Print(const std::string& text) override;
    int CurrentY() override { return currentY; }
    int Width() override { return width; }
    void SetHeight(int pixels) override { height = pixels; }
};

// What the installing page showed at one moment.
struct Shown {
    std::string status;
    std::string percent;
    int fill = 0;
    bool operator==(const Shown&) const = default;
};

// A runtime for tests: message boxes are recorded and answered from `answers` (OK when it
// is empty), End throws ProgramEnded, pictures load from `files` when the file starts with
// a PNG, JPEG, GIF or BMP signature. With `form` set, what the installing page shows is
// noted at every repaint and box; the hooks run at each repaint and pump (numbered from 1)
// so tests can change the world between stages or make the call itself fail.
class FakeRuntime : public Runtime {
  public:
    struct Box {
        std::string text;
        MessageIcon icon;
        MessageButtons buttons;
        std::string title;
        Shown shown;
    };
    FileSystem* files = nullptr;
    const MainForm* form = nullptr;
    std::vector<Box> boxes;
    std::deque<Answer> answers;
    int pumps = 0;
    int refreshes = 0;
    std::vector<Shown> atRefresh;
    std::function<void(int)> onRefresh, onPump;
    std::vector<std::string> openedUrls, loadedPictures;
    std::function<int(const FontSpec&, const std::string&)> measure; // label widths
    FakePreviewCanvas preview;
    PreviewCanvas* previewOverride = nullptr;

    Answer MsgBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                  const std::string& title = {}) override;
    void PumpEvents() override;
    void Refresh() override;
    [[noreturn]] void End(ExitCode code) override { throw ProgramEnded{code}; }
    bool LoadPicture(const std::string& path, Picture& out) override;
    int TextWidth(const FontSpec& font, const std::string& text) override;
    PreviewCanvas& Preview() override {
        return previewOverride ? *previewOverride : static_cast<PreviewCanvas&>(preview);
    }
    void OpenUrl(const std::string& address) override { openedUrls.push_back(address); }

  private:
    Shown Showing() const;
};

} // namespace kernova::test
