#pragma once

#include "platform/qt/qt_runtime.h"
#include "support/sandbox.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace kernova::test {

// A sandbox for Qt tests: its fontconfig also lists the system's DejaVu fonts (read only),
// so labels have the desktop's sans-serif to draw with; then the one QApplication of the
// test process (offscreen unless QT_QPA_PLATFORM says otherwise).
class QtTestWorld : public Sandbox {
  public:
    QtTestWorld();
};

// Makes the test process's QApplication on first use; it lives until the process ends.
void EnsureQtApplication();

// The Qt runtime with the program's end and the user's answers scripted: End throws
// ProgramEnded, message boxes are recorded and answered from `answers` (OK when empty),
// addresses handed to the desktop are recorded instead of opened.
class TestQtRuntime : public qt::QtRuntime {
  public:
    struct Box {
        std::string text;
        int style;
        std::string title;
    };
    std::vector<Box> boxes;
    std::deque<int> answers;
    std::vector<std::string> openedUrls;
    // Runs after each repaint the handlers ask for (its number from 1).
    std::function<void(int refresh)> onRefresh;
    int refreshes = 0;

    void Refresh() override;
    int MsgBox(const std::string& text, int style, const std::string& title = {}) override;
    [[noreturn]] void End(ExitCode code) override;
    void OpenUrl(const std::string& address) override { openedUrls.push_back(address); }
};

// Where rendered pictures of the views go: $KERNOVA_SCREENSHOT_DIR when set (the README's
// pictures), else screenshots/ in the build's test area.
std::filesystem::path ScreenshotFolder();
// Saves what `widget` shows as `name`.png in ScreenshotFolder(); returns the file.
std::filesystem::path SaveScreenshot(QWidget& widget, const std::string& name);

} // namespace kernova::test
