#pragma once

#include "platform/qt/form_view.h"
#include "platform/qt/picture_store.h"
#include "platform/qt/qt_preview_canvas.h"
#include "platform/runtime.h"

#include <QImage>
#include <cstdio>
#include <string>
#include <vector>

namespace kernova::qt {

// The form runtime on Qt Widgets: modal message boxes, the event pump, repainting, the end
// of the process, pictures, text measurement, the preview area and the desktop's URL handler.
// Needs a QApplication.
class QtRuntime : public Runtime {
  public:
    explicit QtRuntime(FontSystem& fonts);

    // Views are brought up to date on PumpEvents, Refresh and before a message box.
    void AddView(FormView& view);

    Answer MsgBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                  const std::string& title = {}) override;
    void ReportError(const std::string& text) override;
    void Report(const std::string& text) override;
    void PumpEvents() override;
    void Refresh() override;
    [[noreturn]] void End(ExitCode code) override;
    bool LoadPicture(const std::string& path, Picture& out) override;
    int TextWidth(const FontSpec& font, const std::string& text) override;
    PreviewCanvas& Preview() override { return preview_; }
    void OpenUrl(const std::string& address) override;

    QtPreviewCanvas& previewCanvas() { return preview_; }
    // The pixels of a picture this runtime loaded, or nullptr.
    const QImage* ImageOf(const Picture& picture) const { return pictures_.ImageOf(picture); }

  protected:
    void SyncViews();

  private:
    std::vector<FormView*> views_;
    PictureStore pictures_;
    QtPreviewCanvas preview_;
};

// The runtime for a machine without a display (scripts, servers): Qt runs offscreen so
// pictures and text still work, and message boxes are written to `messages` (standard error)
// and take their default answer, so nothing waits for a user who is not there.
class HeadlessRuntime : public QtRuntime {
  public:
    explicit HeadlessRuntime(FontSystem& fonts, std::FILE* messages = stderr)
        : QtRuntime(fonts), messages_(messages) {}
    Answer MsgBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                  const std::string& title = {}) override;

  private:
    std::FILE* messages_;
};

// Writes "lead: text" to `out`, the text's line ends as LF.
void PrintMessage(std::FILE* out, const std::string& lead, const std::string& text);

} // namespace kernova::qt
