#pragma once

#include "fakes/fake_file_system.h"
#include "platform/runtime.h"
#include "ui/main_form.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <stdexcept>

namespace kernova::test {

// A scripted preview area: a character is `charWidthPerPoint` x the size wide and a line
// twice the size high, so the sizes chosen are known. With `failing` set, adding the font
// file (after noting it) and printing the line `failing` names throw.
class FakePreviewCanvas : public PreviewCanvas {
  public:
    double charWidthPerPoint = 0.6;
    std::vector<std::string> knownNames; // face names SetFontName accepts
    std::vector<std::string> addedFiles, releasedFiles, printed;
    std::string fontName, failing; // fontName "" = the area's default font
    double fontSize = 8.25;
    int width = 289, height = 73, currentY = 0;

    void AddFontFile(const std::string& path) override {
        addedFiles.push_back(path);
        failing.empty() ? void() : throw std::runtime_error("cannot add " + path);
    }
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
        text == failing ? throw std::runtime_error("cannot print") : printed.push_back(text);
        currentY += static_cast<int>(fontSize * 2);
    }
    int CurrentY() override { return currentY; }
    int Width() override { return width; }
    void SetHeight(int pixels) override { height = pixels; }
};

// A runtime for tests: message boxes are recorded and answered from `answers` (OK when it
// is empty), End throws ProgramEnded, pictures load from `files` when the file starts with
// a PNG, JPEG, GIF or BMP signature. With `form` set, what the installing page shows is
// noted at every repaint and box ("status|percent|fill width"); `onRefresh` runs at each repaint
// (numbered from 1), so tests can change the world between stages or make the repaint fail.
class FakeRuntime : public Runtime {
  public:
    struct Box {
        std::string text;
        MessageIcon icon;
        MessageButtons buttons;
        std::string title, shown;
    };
    const FakeFileSystem* files = nullptr;
    const MainForm* form = nullptr;
    std::vector<Box> boxes;
    std::deque<Answer> answers;
    std::vector<std::string> atRefresh;
    std::function<void(int)> onRefresh;
    std::vector<std::string> errors; // ReportError
    FakePreviewCanvas preview;

    Answer MsgBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                  const std::string& title = {}) override {
        boxes.push_back({text, icon, buttons, title, Showing()});
        const Answer answer = answers.empty() ? Answer::Ok : answers.front();
        answers.erase(answers.begin(), answers.begin() + (answers.empty() ? 0 : 1));
        return answer;
    }
    void ReportError(const std::string& text) override { errors.push_back(text); }
    std::vector<std::string> reports; // Report
    void Report(const std::string& text) override { reports.push_back(text); }
    void PumpEvents() override {}
    void Refresh() override {
        atRefresh.push_back(Showing());
        onRefresh ? onRefresh(int(atRefresh.size())) : void();
    }
    [[noreturn]] void End(ExitCode code) override { throw ProgramEnded{code}; }
    bool LoadPicture(const std::string& path, Picture& out) override {
        const std::string head = files ? files->Read(path) : "";
        for (const char* magic : {"\x89PNG", "\xFF\xD8\xFF", "GIF8", "BM"}) {
            if (head.starts_with(magic)) {
                out = Picture{path, 10, 10, std::make_shared<int>(0)};
                return true;
            }
        }
        return false;
    }
    int TextWidth(const FontSpec& font, const std::string& text) override {
        return int(double(text.size()) * font.points * 0.75);
    }
    PreviewCanvas& Preview() override { return preview; }
    void OpenUrl(const std::string&) override {}

  private:
    std::string Showing() const {
        return form ? form->lblStatus.caption + "|" + form->lblPercent.caption + "|" +
                          std::to_string(form->picProg.rect.width)
                    : "";
    }
};

} // namespace kernova::test
