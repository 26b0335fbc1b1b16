// The Qt runtime: message boxes as the handlers ask for them, pictures, text measurement,
// and the headless variant that never waits for a user.

#include "platform/message_box.h"
#include "platform/qt/form_style.h"
#include "platform/qt/qt_runtime.h"
#include "qt/qt_test_world.h"
#include "support/wizard_package.h"

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <gtest/gtest.h>

namespace kernova::test {
namespace {

struct BoxCase {
    int style;
    std::string title;
    QMessageBox::Icon icon;
    QString shownTitle;
    bool hasCancel;
};

// What the modal box shows, read while it is open; then it is answered with `answer`.
struct SeenBox {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title, text;
    int buttons = 0;
    bool seen = false;
};

void AnswerNextBox(SeenBox& seen, QMessageBox::StandardButton answer) {
    QTimer::singleShot(0, [&seen, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            AnswerNextBox(seen, answer); // not up yet
            return;
        }
        seen.seen = true;
        seen.icon = box->icon();
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.buttons = static_cast<int>(box->buttons().size());
        QAbstractButton* button = box->button(answer);
        if (button == nullptr) {
            button = box->button(QMessageBox::Ok);
        }
        button->click();
    });
}

TEST(QtMessageBox, ShowsTheTextTitleIconAndButtonsAsked) {
    QtTestWorld world;
    qt::QtRuntime runtime;
    const BoxCase cases[] = {
        {MB_ICONERROR | MB_OK, "Kernova Installer Error", QMessageBox::Critical,
         "Kernova Installer Error", false},
        {MB_ICONINFORMATION | MB_OK, "", QMessageBox::Information, "Kernova Installer", false},
        {MB_ICONEXCLAMATION | MB_OKCANCEL, "Sample", QMessageBox::Warning, "Sample", true}};
    for (const BoxCase& param : cases) {
        for (auto answer : {QMessageBox::Ok, QMessageBox::Cancel}) {
            SeenBox seen;
            AnswerNextBox(seen, answer);
            int result =
                runtime.MsgBox("First line\r\nSecond <b>line</b>", param.style, param.title);
            ASSERT_TRUE(seen.seen);
            EXPECT_EQ(seen.icon, param.icon);
            EXPECT_EQ(seen.title, param.shownTitle);
            // Line ends become the toolkit's; markup in a package's text stays text.
            EXPECT_EQ(seen.text, "First line\nSecond <b>line</b>");
            EXPECT_EQ(seen.buttons, param.hasCancel ? 2 : 1);
            EXPECT_EQ(result, param.hasCancel && answer == QMessageBox::Cancel ? IDCANCEL : IDOK);
        }
    }
}

TEST(HeadlessMessageBox, WritesTitleAndTextAndTakesTheDefaultAnswer) {
    QtTestWorld world;
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    ASSERT_NE(out, nullptr);
    {
        qt::HeadlessRuntime runtime(out);
        EXPECT_EQ(runtime.MsgBox("Command line options:\r\n\r\n/E -- Extract files",
                                 MB_ICONINFORMATION | MB_OK),
                  IDOK);
        EXPECT_EQ(runtime.MsgBox("Install anyway?", MB_ICONEXCLAMATION | MB_OKCANCEL, "Sample"),
                  IDOK);
    }
    std::fclose(out);
    std::string written(buffer, size);
    std::free(buffer);
    EXPECT_EQ(written, "Kernova Installer: Command line options:\n\n/E -- Extract files\n"
                       "Sample: Install anyway?\n");
}

// Only what is a picture loads, whatever the name says.
TEST(QtPictures, LoadOnlyWhatIsAPicture) {
    QtTestWorld world;
    qt::QtRuntime runtime;
    const std::filesystem::path file = world.work() / "TOP.png";
    for (const char* format : {"PNG", "JPG", "BMP"}) {
        QImage image(31, 17, QImage::Format_RGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(QString::fromStdString(file.string()), format));
        Picture picture;
        ASSERT_TRUE(runtime.LoadPicture(file.string(), picture)) << format;
        EXPECT_EQ(picture.widthPx, 31);
        EXPECT_EQ(picture.heightPx, 17);
        const QImage* loaded = runtime.ImageOf(picture);
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(loaded->width(), 31);
        // A copy of the handle (one control's picture handed to another) shows the same.
        Picture copy = picture;
        EXPECT_EQ(runtime.ImageOf(copy), loaded);
    }
    WriteFileBytes(file, PngBytes());
    Picture small;
    ASSERT_TRUE(runtime.LoadPicture(file.string(), small));
    EXPECT_EQ(small.widthPx, 1);
    for (const std::string& bytes :
         {std::string("This is not a picture.\r\n"), std::string(), PngBytes().substr(0, 30)}) {
        WriteFileBytes(file, bytes);
        Picture picture;
        EXPECT_FALSE(runtime.LoadPicture(file.string(), picture)) << bytes;
        EXPECT_TRUE(picture.empty());
        EXPECT_EQ(runtime.ImageOf(picture), nullptr);
    }
    // Nor does a handle this runtime did not make show anything.
    Picture foreign;
    foreign.image = std::make_shared<int>(7);
    EXPECT_EQ(runtime.ImageOf(foreign), nullptr);
}

TEST(QtTextWidth, MeasuresAsTheLabelsDraw) {
    QtTestWorld world;
    qt::QtRuntime runtime;
    const std::string text = "Welcome to Setup for Kernova Sample Fonts";
    int normal = runtime.TextWidth(kTahoma, text);
    EXPECT_GT(normal, 100);
    EXPECT_GT(runtime.TextWidth(kTahomaBold, text), normal);
    EXPECT_GT(runtime.TextWidth(kVerdanaHeading, text), runtime.TextWidth(kTahomaBold, text));
    EXPECT_EQ(runtime.TextWidth(kTahoma, ""), 0);
    // The layout's sizes are 96-dpi pixels: 8.25 points is an 11-pixel font.
    EXPECT_EQ(qt::MapFont(kTahoma).pixelSize(), 11);
    EXPECT_EQ(qt::MapFont(kVerdanaHeading).pixelSize(), 16);
    EXPECT_TRUE(qt::MapFont(kVerdanaHeading).bold());
}

} // namespace
} // namespace kernova::test
