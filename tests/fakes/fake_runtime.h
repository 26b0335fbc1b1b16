#pragma once

#include "platform/file_system.h"
#include "platform/runtime.h"
#include "ui/main_form.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <stdexcept>

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
    int width = 289, height = 73, currentY = 0;

    void AddFontFile(const std::string& path) override { addedFiles.push_back(path); }
    void ReleaseFontFile(const std::string& path) override { releasedFiles.push_back(path); }
    void SetFontName(const std::string& faceName) override {
        if (std::find(knownNames.begin(), knownNames.end(), faceName) == knownNames.end()) {
            throw std::runtime_error("no such font: " + faceName);
        }
        fontName = faceName;
    }
    void SetFontSize(double points) override { fontSize = points; }
    int TextWidth(const std::string& text) override {
        return static_cast<int>(std::floor(double(text.size()) * fontSize * charWidthPerPoint));
    }
    void Print(const std::string& text) override {
        printed.push_back(text);
        currentY += static_cast<int>(fontSize * lineHeightPerPoint);
    }
    int CurrentY() override { return currentY; }
    int Width() override { return width; }
    void SetHeight(int pixels) override { height = pixels; }
};

// What the installing page showed at one moment.
struct Shown {
    std::string status, percent;
    int fill = 0;
    bool operator==(const Shown&) const = default;
};

// A runtime for tests: message boxes are recorded and answered from `answers` (OK when it
// is empty), End throws ProgramEnded, pictures load from `files` when the file starts with
// a PNG, JPEG, GIF or BMP signature. With `form` set, what the installing page shows is
// noted at every repaint and box; `onRefresh` runs at each repaint (numbered from 1), so
// tests can change the world between stages or make the repaint fail.
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
    int pumps = 0, refreshes = 0;
    std::vector<Shown> atRefresh;
    std::function<void(int)> onRefresh;
    std::vector<std::string> openedUrls, loadedPictures;
    std::function<int(const FontSpec&, const std::string&)> measure; // label widths
    FakePreviewCanvas preview;
    PreviewCanvas* previewOverride = nullptr;

    Answer MsgBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                  const std::string& title = {}) override {
        boxes.push_back({text, icon, buttons, title, Showing()});
        const Answer answer = answers.empty() ? Answer::Ok : answers.front();
        answers.erase(answers.begin(), answers.begin() + (answers.empty() ? 0 : 1));
        return answer;
    }
    void PumpEvents() override { ++pumps; }
    void Refresh() override {
        atRefresh.push_back(Showing());
        ++refreshes;
        if (onRefresh) {
            onRefresh(refreshes);
        }
    }
    [[noreturn]] void End(ExitCode code) override { throw ProgramEnded{code}; }
    bool LoadPicture(const std::string& path, Picture& out) override {
        loadedPictures.push_back(path);
        std::error_code ec;
        std::unique_ptr<InputFile> file = files ? files->Open(path, ec) : nullptr;
        std::string head(8, '\0');
        if (!file || file->ReadAt(0, head.data(), head.size())) {
            return false;
        }
        for (const char* magic : {"\x89PNG", "\xFF\xD8\xFF", "GIF8", "BM"}) {
            if (head.starts_with(magic)) {
                out = Picture{path, 10, 10, std::make_shared<int>(0)};
                return true;
            }
        }
        return false;
    }
    int TextWidth(const FontSpec& font, const std::string& text) override {
        return measure ? measure(font, text) : int(double(text.size()) * font.points * 0.75);
    }
    PreviewCanvas& Preview() override {
        return previewOverride ? *previewOverride : static_cast<PreviewCanvas&>(preview);
    }
    void OpenUrl(const std::string& address) override { openedUrls.push_back(address); }

  private:
    Shown Showing() const {
        return form ? Shown{form->lblStatus.caption, form->lblPercent.caption,
                            form->picProg.rect.width}
                    : Shown{};
    }
};

} // namespace kernova::test
