#include "fakes/fake_runtime.h"

#include "platform/file_system.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

namespace kernova::test {

void FakePreviewCanvas::SetFontName(const std::string& faceName) {
    if (std::find(knownNames.begin(), knownNames.end(), faceName) == knownNames.end()) {
        throw std::runtime_error("no such font: " + faceName);
    }
    fontName = faceName;
}

int FakePreviewCanvas::TextWidth(const std::string& text) {
    return static_cast<int>(
        std::floor(static_cast<double>(text.size()) * fontSize * charWidthPerPoint));
}

void FakePreviewCanvas::Print(const std::string& text) {
    printed.push_back(text);
    currentY += static_cast<int>(fontSize * lineHeightPerPoint);
}

Shown FakeRuntime::Showing() const {
    return form ? Shown{form->lblStatus.caption, form->lblPercent.caption, form->picProg.rect.width}
                : Shown{};
}

Answer FakeRuntime::MsgBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                           const std::string& title) {
    boxes.push_back({text, icon, buttons, title, Showing()});
    if (answers.empty()) {
        return Answer::Ok;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

void FakeRuntime::PumpEvents() {
    ++pumps;
    if (onPump) {
        onPump(pumps);
    }
}

void FakeRuntime::Refresh() {
    ++refreshes;
    atRefresh.push_back(Showing());
    if (onRefresh) {
        onRefresh(refreshes);
    }
}

bool FakeRuntime::LoadPicture(const std::string& path, Picture& out) {
    loadedPictures.push_back(path);
    std::error_code ec;
    std::unique_ptr<InputFile> file = files ? files->Open(path, ec) : nullptr;
    std::string head(8, '\0');
    if (!file || file->ReadAt(0, head.data(), head.size())) {
        return false;
    }
    if (!head.starts_with("\x89PNG") && !head.starts_with("\xFF\xD8\xFF") &&
        !head.starts_with("GIF8") && !head.starts_with("BM")) {
        return false;
    }
    out = Picture{path, 10, 10, std::make_shared<int>(0)};
    return true;
}

int FakeRuntime::TextWidth(const FontSpec& font, const std::string& text) {
    return measure ? measure(font, text)
                   : static_cast<int>(static_cast<double>(text.size()) * font.points * 0.75);
}

} // namespace kernova::test
