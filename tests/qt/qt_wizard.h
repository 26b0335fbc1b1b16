#pragma once

#include "archive/package_writer.h"
#include "platform/exit_code.h"
#include "platform/qt/extracting_view.h"
#include "platform/qt/main_window_view.h"
#include "qt/qt_test_world.h"
#include "ui/frm_main.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPushButton;

namespace kernova::test {

// What a test package holds besides its fonts.
struct WizardPackage {
    std::string title = "Kernova Sample Fonts";
    std::string license; // empty: no licence page
    std::string readme;  // empty: no information page
    bool preview = true;
    bool pictures = true; // the sample side and top pictures
    std::string url = "https://example.com/kernova";
    std::string urlName = "Kernova on the web";
    std::vector<std::string> fonts = {"KernovaSampleSans-Regular.ttf"};
    bool addFavorites = false;
};

// A real installer (stand-in stub + package) loaded by a real FrmMain, shown by the real
// views over the scripted Qt runtime: what a user sees, driven by QTest.
class QtWizard {
  public:
    QtWizard(QtTestWorld& world, const WizardPackage& package);
    ~QtWizard();

    // Form_Initialize and Form_Load, then the views brought up to date (the window shows).
    void Load();

    FrmMain& frm() { return *frm_; }
    TestQtRuntime& runtime() { return runtime_; }
    qt::MainWindowView& window() { return *window_; }
    QPushButton& button(const char* name);
    QWidget& widget(const char* name);
    // The page the state shows, by panel name; the view must agree (checked here).
    std::string CurrentPage();

    // Clicks a button (or option, or the link) by name; the program's end when it ended.
    std::optional<ExitCode> Click(const char* name);
    std::optional<ExitCode> PressEscape();

    const std::filesystem::path& installer() const { return installer_; }

  private:
    std::filesystem::path installer_;
    TestQtRuntime runtime_;
    std::unique_ptr<FrmMain> frm_;
    std::unique_ptr<qt::ExtractingView> extracting_;
    std::unique_ptr<qt::MainWindowView> window_;
};

} // namespace kernova::test
