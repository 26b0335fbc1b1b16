#include "qt/qt_wizard.h"

#include "fakes/package_bytes.h"
#include "platform/linux/linux_font_system.h"
#include "platform/linux/xdg_shell_folders.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_process.h"

#include <QApplication>
#include <QPixmap>
#include <QTest>
#include <cstdlib>

namespace kernova::test {

Platform& LinuxPlatform() {
    static posix::PosixFileSystem files;
    static LinuxFontSystem fonts;
    static XdgShellFolders folders;
    static posix::PosixProcess process;
    static Platform platform{files, fonts, folders, process};
    return platform;
}

QtTestWorld::QtTestWorld()
    : Sandbox("  <dir>/usr/share/fonts/truetype/dejavu</dir>\n"
              "  <include ignore_missing=\"yes\">/etc/fonts/conf.d</include>\n") {
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "kernova_qt_tests";
        static char* argv[] = {name, nullptr};
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0); // the README's pictures use a real X
        // The test main runs the tests under a user's effective id while the real id stays
        // root; Qt refuses such a process unless told it is meant.
        QCoreApplication::setSetuidAllowed(true);
        new QApplication(argc, argv); // never deleted: widgets of earlier tests may outlive it
    }
}

std::filesystem::path SaveScreenshot(QWidget& widget, const std::string& name) {
    const char* chosen = std::getenv("KERNOVA_SCREENSHOT_DIR");
    const std::filesystem::path folder =
        chosen != nullptr && *chosen != '\0'
            ? std::filesystem::path(chosen)
            : std::filesystem::path(KERNOVA_SANDBOX_ROOT) / "screenshots";
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / (name + ".png");
    if (!widget.grab().save(QString::fromStdString(file.string()), "PNG")) {
        throw std::runtime_error("cannot save " + file.string());
    }
    return file;
}

QtWizard::QtWizard(QtTestWorld& world, const WizardPackage& package) {
    const std::filesystem::path samples = std::filesystem::path(KERNOVA_SOURCE_DIR) / "samples";
    std::vector<PackageInput> entries = {
        BytesEntry("LEFT.png", ReadFileBytes(samples / "side.png")),
        BytesEntry("TOP.png", ReadFileBytes(samples / "top.png"))};
    for (const std::string& font : package.fonts) {
        // A font given by its full path goes into the package under its file name.
        entries.push_back(BytesEntry(std::filesystem::path(font).filename().string(),
                                     ReadFileBytes(TestFont(font))));
    }
    for (int copy = 1; copy <= package.copies; ++copy) {
        entries.push_back(BytesEntry("Copy" + std::to_string(copy) + ".ttf",
                                     ReadFileBytes(TestFont(package.fonts.front()))));
    }
    for (const auto& [name, text] :
         {std::pair{"license.txt", package.license}, std::pair{"readme.txt", package.readme}}) {
        if (!text.empty()) {
            entries.push_back(BytesEntry(name, text));
        }
    }
    entries.push_back(DescriptorEntry({{"Title", "Kernova Sample Fonts"},
                                       {"URL", "https://example.com/kernova"},
                                       {"URLName", package.urlName},
                                       {"ShowFontPreview", "True"},
                                       {"License", package.license.empty() ? "False" : "True"},
                                       {"Readme", package.readme.empty() ? "False" : "True"}}));
    // A small stand-in stub: the package reader never looks at it.
    const std::string stub = (world.work() / "stub").string();
    const std::string installer = (world.work() / "setup-kernova").string();
    WriteFileBytes(stub, StubBytes(64));
    WritePackage(LinuxPlatform().files, stub, entries, installer);
    frm_ = std::make_unique<FrmMain>(runtime_, LinuxPlatform(), StartupInfo{installer, ""});
    extracting_ = std::make_unique<qt::ExtractingView>(frm_->frmExtracting);
    window_ = std::make_unique<qt::MainWindowView>(*frm_, runtime_);
    runtime_.AddView(*extracting_);
    runtime_.AddView(*window_);
    frm_->Form_Load();
    extracting_->SyncFromState();
    window_->SyncFromState();
    window_->activateWindow();
    if (!QTest::qWaitForWindowExposed(window_.get())) {
        throw std::runtime_error("the wizard window was never shown");
    }
}

std::string QtWizard::CurrentPage() {
    std::string shown;
    for (const char* page : {"picWelcome", "picLicense", "picReadme", "picInstall", "picFinish"}) {
        if (widget(page).isVisible()) {
            shown += (shown.empty() ? "" : "+") + std::string(page);
        }
    }
    return shown;
}

std::optional<ExitCode> QtWizard::Do(const std::string& action) {
    return EndsProgram([&] {
        if (action == "Escape") {
            QTest::keyClick(window_.get(), Qt::Key_Escape);
        } else if (action.starts_with("Alt+")) {
            QTest::keyClick(window_.get(), static_cast<Qt::Key>(action.back()), Qt::AltModifier);
            QTest::qWait(300); // a mnemonic animates its button's click, which lands later
        } else if (action == "close") {
            window_->close();
        } else {
            QTest::mouseClick(&widget(action.c_str()), Qt::LeftButton);
        }
    });
}

} // namespace kernova::test
