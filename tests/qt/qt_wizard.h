#pragma once

#include "platform/exit_code.h"
#include "platform/message_box.h"
#include "platform/platform.h"
#include "platform/qt/extracting_view.h"
#include "platform/qt/main_window_view.h"
#include "platform/qt/qt_runtime.h"
#include "support/sandbox.h"
#include "ui/frm_main.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kernova::test {

// The Linux backends, for the real system behind the portable layers.
Platform& LinuxPlatform();

// A sandbox whose fontconfig also lists the system's DejaVu fonts (read only), so labels
// have the desktop's sans-serif to draw with; and the test process's one QApplication
// (offscreen unless QT_QPA_PLATFORM says otherwise).
class QtTestWorld : public Sandbox {
  public:
    QtTestWorld();
};

// The Qt runtime with the user scripted: End throws ProgramEnded, message boxes are
// recorded and answered OK, addresses are recorded instead of opened.
class TestQtRuntime : public qt::QtRuntime {
  public:
    TestQtRuntime() : qt::QtRuntime(LinuxPlatform().fonts) {}
    std::vector<std::string> boxes, openedUrls;

    Answer MsgBox(const std::string& text, MessageIcon, MessageButtons,
                  const std::string& = {}) override {
        SyncViews();
        boxes.push_back(text);
        return Answer::Ok;
    }
    [[noreturn]] void End(ExitCode code) override { throw ProgramEnded{code}; }
    void OpenUrl(const std::string& address) override { openedUrls.push_back(address); }
};

// Saves what `widget` shows as `name`.png, in $KERNOVA_SCREENSHOT_DIR when set (the README's
// pictures), else in screenshots/ of the build's test area; returns the file.
std::filesystem::path SaveScreenshot(QWidget& widget, const std::string& name);

// What a test package holds besides the sample pictures (the title is "Kernova Sample Fonts").
struct WizardPackage {
    std::string license{}; // empty: no licence page
    std::string readme{};  // empty: no information page
    std::string urlName = "Kernova on the web";
    // Test font file names, or full paths of other fonts.
    std::vector<std::string> fonts = {"KernovaSampleSans-Regular.ttf"};
    int copies = 0; // more entries with the first font's bytes: "Copy1.ttf", "Copy2.ttf", ...
};

// A real installer (stand-in stub + package) loaded by a real FrmMain (Form_Load) and shown
// by the real views over the scripted Qt runtime: what a user sees, driven by QTest.
class QtWizard {
  public:
    QtWizard(QtTestWorld& world, const WizardPackage& package);

    FrmMain& frm() { return *frm_; }
    TestQtRuntime& runtime() { return runtime_; }
    qt::MainWindowView& window() { return *window_; }
    template <typename W = QWidget> W& widget(const char* name) {
        if (auto* found = window_->findChild<W*>(name)) {
            return *found;
        }
        throw std::runtime_error(std::string("no widget ") + name);
    }
    // The page panels the window shows, "+" between them when more than one.
    std::string CurrentPage();
    // A click on a control, a key ("Escape", "Alt+N") or "close" (the window's close
    // button); the program's end when it ended.
    std::optional<ExitCode> Do(const std::string& action);

  private:
    TestQtRuntime runtime_;
    std::unique_ptr<FrmMain> frm_;
    std::unique_ptr<qt::ExtractingView> extracting_;
    std::unique_ptr<qt::MainWindowView> window_;
};

} // namespace kernova::test
