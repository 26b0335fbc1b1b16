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
    const char* name;
    int style;
    std::string title;
    QMessageBox::Icon icon;
    QString shownTitle;
    bool hasCancel;
};

void PrintTo(const BoxCase& box, std::ostream* out) {
    *out << box.name;
}

class QtMessageBox : public ::testing::TestWithParam<BoxCase> {};

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

TEST_P(QtMessageBox, ShowsTheTextTitleIconAndButtonsAsked) {
    const BoxCase& param = GetParam();
    QtTestWorld world;
    qt::QtRuntime runtime;
    for (auto answer : {QMessageBox::Ok, QMessageBox::Cancel}) {
        SeenBox seen;
        AnswerNextBox(seen, answer);
        int result = runtime.MsgBox("First line\r\nSecond <b>line</b>", param.style, param.title);
        ASSERT_TRUE(seen.seen);
        EXPECT_EQ(seen.icon, param.icon);
        EXPECT_EQ(seen.title, param.shownTitle);
        // Line ends become the toolkit's; markup in a package's text stays text.
        EXPECT_EQ(seen.text, "First line\nSecond <b>line</b>");
        EXPECT_EQ(seen.buttons, param.hasCancel ? 2 : 1);
        bool cancelled = param.hasCancel && answer == QMessageBox::Cancel;
        EXPECT_EQ(result, cancelled ? IDCANCEL : IDOK);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Styles, QtMessageBox,
    ::testing::Values(BoxCase{"stopOk", MB_ICONERROR | MB_OK, "Kernova Installer Error",
                              QMessageBox::Critical, "Kernova Installer Error", false},
                      BoxCase{"informationUntitled", MB_ICONINFORMATION | MB_OK, "",
                              QMessageBox::Information, "Kernova Installer", false},
                      BoxCase{"exclamationOkCancel", MB_ICONEXCLAMATION | MB_OKCANCEL, "Sample",
                              QMessageBox::Warning, "Sample", true}),
    [](const auto& info) { return std::string(info.param.name); });

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

struct PictureCase {
    const char* name;
    const char* format; // written by Qt; nullptr: `bytes` as they stand
    std::string bytes;
    bool loads;
};

void PrintTo(const PictureCase& picture, std::ostream* out) {
    *out << picture.name;
}

class QtPictures : public ::testing::TestWithParam<PictureCase> {};

TEST_P(QtPictures, LoadOnlyWhatIsAPicture) {
    const PictureCase& param = GetParam();
    QtTestWorld world;
    qt::QtRuntime runtime;
    std::filesystem::path file = world.work() / "TOP.png"; // the name never decides
    if (param.format != nullptr) {
        QImage image(31, 17, QImage::Format_RGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(QString::fromStdString(file.string()), param.format));
    } else {
        WriteFileBytes(file, param.bytes);
    }
    Picture picture;
    ASSERT_EQ(runtime.LoadPicture(file.string(), picture), param.loads);
    if (param.loads) {
        EXPECT_EQ(picture.widthPx, param.format != nullptr ? 31 : 1);
        EXPECT_EQ(picture.heightPx, param.format != nullptr ? 17 : 1);
        const QImage* image = runtime.ImageOf(picture);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->width(), picture.widthPx);
        // A copy of the handle (one control's picture handed to another) shows the same.
        Picture copy = picture;
        EXPECT_EQ(runtime.ImageOf(copy), image);
    } else {
        EXPECT_TRUE(picture.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, QtPictures,
    ::testing::Values(PictureCase{"png", "PNG", "", true}, PictureCase{"jpeg", "JPG", "", true},
                      PictureCase{"bmp", "BMP", "", true},
                      PictureCase{"smallPng", nullptr, PngBytes(), true},
                      PictureCase{"text", nullptr, "This is not a picture.\r\n", false},
                      PictureCase{"empty", nullptr, "", false},
                      PictureCase{"truncatedPng", nullptr, PngBytes().substr(0, 30), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QtPictures, AForeignPictureHandleShowsNothing) {
    QtTestWorld world;
    qt::QtRuntime runtime;
    Picture foreign;
    foreign.image = std::make_shared<int>(7);
    EXPECT_EQ(runtime.ImageOf(foreign), nullptr);
    EXPECT_EQ(runtime.ImageOf(Picture{}), nullptr);
}

TEST(QtTextWidth, MeasuresAsTheLabelsDraw) {
    QtTestWorld world;
    qt::QtRuntime runtime;
    const std::string text = "Welcome to Setup for Kernova Sample Fonts";
    int normal = runtime.TextWidth(kTahoma, text);
    EXPECT_GT(normal, 100);
    EXPECT_GT(runtime.TextWidth(kTahomaBold, text), normal);
    EXPECT_GT(runtime.TextWidth(kVerdanaHeading, text), runtime.TextWidth(kTahomaBold, text));
    EXPECT_LT(runtime.TextWidth(kTahoma, "Welcome"), normal);
    EXPECT_EQ(runtime.TextWidth(kTahoma, ""), 0);
    // The layout's sizes are 96-dpi pixels: 8.25 points is an 11-pixel font.
    EXPECT_EQ(qt::MapFont(kTahoma).pixelSize(), 11);
    EXPECT_EQ(qt::MapFont(kVerdanaHeading).pixelSize(), 16);
    EXPECT_TRUE(qt::MapFont(kVerdanaHeading).bold());
}

} // namespace
} // namespace kernova::test
