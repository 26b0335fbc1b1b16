#include "platform/qt/qt_runtime.h"

#include "platform/message_box.h"
#include "platform/qt/form_style.h"
#include "ui/main_form.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QWidget>
#include <cstdio>
#include <unistd.h>

namespace kernova::qt {
namespace {

QSize DesignPreviewSize() {
    const Rect& rect = MainForm().picPreview.rect;
    return {TwipsToPixels(rect.width), TwipsToPixels(rect.height)};
}

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString TitleOf(const std::string& title) {
    return QString::fromStdString(title.empty() ? std::string(kApplicationTitle) : title);
}

} // namespace

QtRuntime::QtRuntime(FontSystem& fonts)
    : preview_(fonts, DesignPreviewSize(), qApp->devicePixelRatio()) {}

void QtRuntime::AddView(FormView& view) {
    views_.push_back(&view);
}

void QtRuntime::SyncViews() {
    for (FormView* view : views_) {
        view->SyncFromState();
    }
}

Answer QtRuntime::MsgBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                         const std::string& title) {
    SyncViews();
    QMessageBox box(IconOf(icon), TitleOf(title), ToDisplayText(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    // Package titles are shown as written, never read as markup.
    box.setTextFormat(Qt::PlainText);
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    QPushButton* cancel = nullptr;
    if (buttons == MessageButtons::OkCancel) {
        cancel = box.addButton(QMessageBox::Cancel);
    }
    box.setDefaultButton(ok);
    box.setEscapeButton(cancel != nullptr ? cancel : ok);
    box.exec();
    return cancel != nullptr && box.clickedButton() == cancel ? Answer::Cancel : Answer::Ok;
}

void QtRuntime::PumpEvents() {
    SyncViews();
    QCoreApplication::processEvents();
}

void QtRuntime::Refresh() {
    SyncViews();
    for (FormView* view : views_) {
        view->RepaintNow();
    }
}

void QtRuntime::End(ExitCode code) {
    std::fflush(nullptr);
    // At once: no destructor, no unload handler, nothing of the caller runs after this.
    ::_exit(static_cast<int>(code));
}

bool QtRuntime::LoadPicture(const std::string& path, Picture& out) {
    return pictures_.Load(path, out);
}

int QtRuntime::TextWidth(const FontSpec& font, const std::string& text) {
    return QFontMetrics(MapFont(font)).horizontalAdvance(QString::fromStdString(text));
}

void QtRuntime::OpenUrl(const std::string& address) {
    QUrl url = QUrl::fromUserInput(QString::fromStdString(address));
    if (url.isValid()) {
        QDesktopServices::openUrl(url);
    }
}

void QtRuntime::ReportError(const std::string& text) {
    PrintMessage(stderr, kErrorTitle, text);
}

void QtRuntime::Report(const std::string& text) {
    std::fprintf(stdout, "%s\n", ToDisplayText(text).toUtf8().constData());
    std::fflush(stdout);
}

Answer HeadlessRuntime::MsgBox(const std::string& text, MessageIcon /*icon*/,
                               MessageButtons /*buttons*/, const std::string& title) {
    PrintMessage(messages_, TitleOf(title).toStdString(), text);
    return Answer::Ok;
}

void PrintMessage(std::FILE* out, const std::string& lead, const std::string& text) {
    // What comes from a package or a font reached the form with its control characters
    // replaced already. A reader that went away (a closed pipe) is no reason to stop: the
    // write just fails.
    std::fprintf(out, "%s: %s\n", lead.c_str(), ToDisplayText(text).toUtf8().constData());
    std::fflush(out);
}

} // namespace kernova::qt
