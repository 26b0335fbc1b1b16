#include "support/fake_runtime.h"

#include "platform/message_box.h"
#include "ui/controls.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace kernova::test {

void FakePreviewCanvas::AddFontFile(const std::string& path) {
    addedFiles.push_back(path);
}

void FakePreviewCanvas::ReleaseFontFile(const std::string& path) {
    releasedFiles.push_back(path);
}

void FakePreviewCanvas::SetFontName(const std::string& faceName) {
    if (std::find(knownNames.begin(), knownNames.end(), faceName) == knownNames.end()) {
        throw std::runtime_error("no such font: " + faceName);
    }
    fontName = faceName;
}

void FakePreviewCanvas::SetFontSize(double points) {
    fontSize = points;
}

int FakePreviewCanvas::TextWidth(const std::string& text) {
    return static_cast<int>(
        std::floor(static_cast<double>(text.size()) * fontSize * charWidthPerPoint));
}

void FakePreviewCanvas::Print(const std::string& text) {
    printed.push_back(text);
    currentY += static_cast<int>(fontSize * lineHeightPerPoint);
}

Answer FakeRuntime::MsgBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                           const std::string& title) {
    boxes.push_back({text, icon, buttons, title});
    if (answers.empty()) {
        return Answer::Ok;
    }
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

bool FakeRuntime::LoadPicture(const std::string& path, Picture& out) {
    loadedPictures.push_back(path);
    std::ifstream in(path, std::ios::binary);
    char head[8] = {};
    if (!in.read(head, sizeof head)) {
        return false;
    }
    std::string magic(head, sizeof head);
    bool picture = magic.rfind("\x89PNG", 0) == 0 || magic.rfind("\xFF\xD8\xFF", 0) == 0 ||
                   magic.rfind("GIF8", 0) == 0 || magic.rfind("BM", 0) == 0;
    if (!picture) {
        return false;
    }
    out.sourcePath = path;
    out.widthPx = 10;
    out.heightPx = 10;
    out.image = std::make_shared<int>(0);
    return true;
}

int FakeRuntime::TextWidth(const FontSpec& font, const std::string& text) {
    if (measure) {
        return measure(font, text);
    }
    return static_cast<int>(static_cast<double>(text.size()) * font.points *
                            labelCharWidthPerPoint);
}

} // namespace kernova::test
