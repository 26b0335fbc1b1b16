#include "qt/qt_wizard.h"

#include "support/wizard_package.h"

#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <stdexcept>

namespace kernova::test {

QtWizard::QtWizard(QtTestWorld& world, const WizardPackage& package) {
    std::vector<PackageInput> entries;
    for (const std::string& font : package.fonts) {
        entries.push_back(FileEntry(font, TestFont(font)));
    }
    std::vector<std::pair<std::string, std::string>> tags = {
        {"Title", package.title},
        {"URL", package.url},
        {"URLName", package.urlName},
        {"ShowFontPreview", package.preview ? "True" : "False"},
        {"License", package.license.empty() ? "False" : "True"},
        {"Readme", package.readme.empty() ? "False" : "True"},
        {"AddFavorites", package.addFavorites ? "True" : "False"},
    };
    if (!package.license.empty()) {
        entries.push_back(BytesEntry("license.txt", package.license));
    }
    if (!package.readme.empty()) {
        entries.push_back(BytesEntry("readme.txt", package.readme));
    }
    if (package.pictures) {
        entries.push_back(
            FileEntry("LEFT.png", std::filesystem::path(KERNOVA_SOURCE_DIR) / "samples/side.png"));
        entries.push_back(
            FileEntry("TOP.png", std::filesystem::path(KERNOVA_SOURCE_DIR) / "samples/top.png"));
    }
    entries.push_back(DescriptorEntry(tags));
    installer_ = MakeInstaller(world.work() / "installer", entries);
    frm_ = std::make_unique<FrmMain>(runtime_, StartupInfo{installer_.string(), ""});
    extracting_ = std::make_unique<qt::ExtractingView>(frm_->frmExtracting);
    window_ = std::make_unique<qt::MainWindowView>(*frm_, runtime_);
    runtime_.AddView(*extracting_);
    runtime_.AddView(*window_);
}

QtWizard::~QtWizard() = default;

void QtWizard::Load() {
    frm_->Form_Initialize();
    frm_->Form_Load();
    extracting_->SyncFromState();
    window_->SyncFromState();
    window_->activateWindow();
    if (!QTest::qWaitForWindowExposed(window_.get())) {
        throw std::runtime_error("the wizard window was never shown");
    }
}

QPushButton& QtWizard::button(const char* name) {
    auto* found = window_->findChild<QPushButton*>(name);
    if (found == nullptr) {
        throw std::runtime_error(std::string("no button ") + name);
    }
    return *found;
}

QWidget& QtWizard::widget(const char* name) {
    auto* found = window_->findChild<QWidget*>(name);
    if (found == nullptr) {
        throw std::runtime_error(std::string("no widget ") + name);
    }
    return *found;
}

std::string QtWizard::CurrentPage() {
    const MainForm& f = frm_->form;
    std::vector<std::string> shown;
    for (const Panel* page :
         {&f.picWelcome, &f.picLicense, &f.picReadme, &f.picInstall, &f.picFinish}) {
        EXPECT_EQ(page->visible, widget(page->name.c_str()).isVisible()) << page->name;
        if (page->visible) {
            shown.push_back(page->name);
        }
    }
    return shown.size() == 1 ? shown.front() : "(" + std::to_string(shown.size()) + " pages)";
}

std::optional<ExitCode> QtWizard::Click(const char* name) {
    QWidget& target = widget(name);
    return EndsProgram([&] { QTest::mouseClick(&target, Qt::LeftButton); });
}

std::optional<ExitCode> QtWizard::PressEscape() {
    return EndsProgram([&] { QTest::keyClick(window_.get(), Qt::Key_Escape); });
}

} // namespace kernova::test
