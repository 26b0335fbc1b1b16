// The Qt platform: which way the installer meets its user, the command line it was given,
// and the runtime's message boxes and pictures.

#include "fakes/package_bytes.h"
#include "platform/linux/startup_info.h"
#include "platform/qt/display_mode.h"
#include "qt/qt_wizard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>
#include <map>

namespace kernova::test {
namespace {

TEST(DisplayChoice, FollowsTheEnvironment) {
    using Env = std::map<std::string, std::string>;
    using enum qt::DisplayMode;
    const std::tuple<Env, qt::DisplayMode, std::string> cases[] = {
        {{}, Headless, "offscreen"},
        {{{"DISPLAY", ""}}, Headless, "offscreen"},
        {{{"DISPLAY", ":0"}}, Desktop, "xcb;offscreen"},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, Desktop, "wayland;offscreen"},
        {{{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "w"}}, Desktop, "xcb;wayland;offscreen"},
        // The user's own choice of platform stands.
        {{{"QT_QPA_PLATFORM", "xcb"}}, Desktop, ""},
        {{{"QT_QPA_PLATFORM", "offscreen"}, {"DISPLAY", ":0"}}, Headless, ""},
        {{{"QT_QPA_PLATFORM", "minimal"}}, Headless, ""}};
    for (const auto& [env, mode, platform] : cases) {
        auto choice = qt::ChooseDisplay([&](const char* name) -> const char* {
            auto found = env.find(name);
            return found == env.end() ? nullptr : found->second.c_str();
        });
        EXPECT_EQ(choice.mode, mode) << platform;
        EXPECT_EQ(choice.platform, platform);
    }
}

TEST(StartupInfo, TailIsTheArgumentsJoinedBySingleSpaces) {
    const char* argv[] = {"setup", "/e", "  x", "", "/I", nullptr};
    StartupInfo info = MakeStartupInfo(5, argv);
    EXPECT_EQ(info.commandLine, "/e   x  /I");
    EXPECT_EQ(info.executablePath, std::filesystem::read_symlink("/proc/self/exe").string());
    EXPECT_EQ(MakeStartupInfo(1, argv).commandLine, "");
}

// What the modal box showed: icon, title, text and number of buttons.
using SeenBox = std::tuple<QMessageBox::Icon, QString, QString, qsizetype>;

// Notes the modal box once it is up, then answers it with `answer` (OK when it has none).
void AnswerNextBox(SeenBox& seen, QMessageBox::StandardButton answer) {
    QTimer::singleShot(0, [&seen, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            AnswerNextBox(seen, answer); // not up yet
            return;
        }
        seen = {box->icon(), box->windowTitle(), box->text(), box->buttons().size()};
        QAbstractButton* button = box->button(answer);
        (button != nullptr ? button : box->button(QMessageBox::Ok))->click();
    });
}

TEST(QtMessageBox, ShowsTheTextTitleIconAndButtonsAsked) {
    QtTestWorld world;
    qt::QtRuntime runtime(LinuxPlatform().fonts);
    // Line ends become the toolkit's; markup in a package's text stays text.
    const QString text = "First line\nSecond <b>line</b>";
    using Box = QMessageBox;
    using enum MessageIcon;
    const std::tuple<MessageIcon, MessageButtons, std::string, SeenBox> cases[] = {
        {Error, MessageButtons::Ok, "Error", {Box::Critical, "Error", text, 1}},
        {Information, MessageButtons::Ok, "", {Box::Information, "Kernova Installer", text, 1}},
        {Exclamation, MessageButtons::OkCancel, "Sample", {Box::Warning, "Sample", text, 2}}};
    for (const auto& [icon, buttons, title, expected] : cases) {
        for (auto answer : {QMessageBox::Ok, QMessageBox::Cancel}) {
            SeenBox seen;
            AnswerNextBox(seen, answer);
            const Answer result =
                runtime.MsgBox("First line\r\nSecond <b>line</b>", icon, buttons, title);
            EXPECT_EQ(seen, expected) << title;
            const bool cancelled = std::get<3>(expected) == 2 && answer == QMessageBox::Cancel;
            EXPECT_EQ(result, cancelled ? Answer::Cancel : Answer::Ok);
        }
    }
}

// Only what is a picture loads, whatever the name says; only this runtime's pictures show.
TEST(QtPictures, LoadOnlyWhatIsAPicture) {
    QtTestWorld world;
    qt::QtRuntime runtime(LinuxPlatform().fonts);
    const std::filesystem::path file = world.work() / "TOP.png";
    for (const char* format : {"PNG", "JPG", "BMP"}) {
        QImage image(31, 17, QImage::Format_RGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(QString::fromStdString(file.string()), format));
        Picture picture;
        ASSERT_TRUE(runtime.LoadPicture(file.string(), picture)) << format;
        EXPECT_EQ(std::pair(picture.widthPx, picture.heightPx), std::pair(31, 17));
        const QImage* loaded = runtime.ImageOf(picture);
        ASSERT_NE(loaded, nullptr);
        Picture copy = picture; // one control's picture handed to another shows the same
        EXPECT_EQ(runtime.ImageOf(copy), loaded);
    }
    for (const std::string& bytes :
         {std::string("This is not a picture.\r\n"), std::string(), PngBytes().substr(0, 30)}) {
        WriteFileBytes(file, bytes);
        Picture picture;
        EXPECT_FALSE(runtime.LoadPicture(file.string(), picture)) << bytes;
        EXPECT_EQ(runtime.ImageOf(picture), nullptr);
    }
    Picture foreign;
    foreign.image = std::make_shared<int>(7);
    EXPECT_EQ(runtime.ImageOf(foreign), nullptr);
}

} // namespace
} // namespace kernova::test
