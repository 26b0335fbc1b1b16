#include "qt/qt_test_world.h"

#include "platform/message_box.h"

#include <QApplication>
#include <QPixmap>
#include <QWidget>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace kernova::test {

QtTestWorld::QtTestWorld() {
    std::ofstream conf(fontconfigFile(), std::ios::trunc);
    conf << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n"
         << "  <dir>" << fontsDir().string() << "</dir>\n"
         << "  <dir>/usr/share/fonts/truetype/dejavu</dir>\n"
         << "  <include ignore_missing=\"yes\">/etc/fonts/conf.d</include>\n"
         << "  <cachedir>" << fontconfigCache().string() << "</cachedir>\n"
         << "</fontconfig>\n";
    conf.close();
    if (!conf) {
        throw std::runtime_error("cannot write " + fontconfigFile().string());
    }
    EnsureQtApplication();
}

void EnsureQtApplication() {
    if (QApplication::instance() != nullptr) {
        return;
    }
    static int argc = 1;
    static char name[] = "kernova_qt_tests";
    static char* argv[] = {name, nullptr};
    // Offscreen unless the caller chose a platform (the README's pictures use a real X server).
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // The test main runs the tests under a user's effective id while the real id stays root;
    // Qt refuses such a process unless told it is meant.
    QCoreApplication::setSetuidAllowed(true);
    // Never deleted: widgets of earlier tests may outlive any scope we could give it.
    new QApplication(argc, argv);
}

int TestQtRuntime::MsgBox(const std::string& text, int style, const std::string& title) {
    SyncViews();
    boxes.push_back({text, style, title});
    if (answers.empty()) {
        return IDOK;
    }
    int answer = answers.front();
    answers.pop_front();
    return answer;
}

void TestQtRuntime::Refresh() {
    QtRuntime::Refresh();
    ++refreshes;
    if (onRefresh) {
        onRefresh(refreshes);
    }
}

void TestQtRuntime::End(ExitCode code) {
    throw ProgramEnded{code};
}

std::filesystem::path ScreenshotFolder() {
    const char* chosen = std::getenv("KERNOVA_SCREENSHOT_DIR");
    std::filesystem::path folder =
        chosen != nullptr && *chosen != '\0'
            ? std::filesystem::path(chosen)
            : std::filesystem::path(KERNOVA_SANDBOX_ROOT) / "screenshots";
    std::filesystem::create_directories(folder);
    return folder;
}

std::filesystem::path SaveScreenshot(QWidget& widget, const std::string& name) {
    std::filesystem::path file = ScreenshotFolder() / (name + ".png");
    if (!widget.grab().save(QString::fromStdString(file.string()), "PNG")) {
        throw std::runtime_error("cannot save " + file.string());
    }
    return file;
}

} // namespace kernova::test
