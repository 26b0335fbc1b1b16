#include "platform/qt/main_window_view.h"

#include "platform/qt/form_style.h"
#include "platform/qt/qt_runtime.h"
#include "ui/frm_main.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <algorithm>
#include <cstdint>

namespace kernova::qt {
namespace {

template <typename W> W* Make(QWidget* parent, const std::string& name) {
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromStdString(name));
    return widget;
}

void SyncLine(LineWidget* widget, const Line& line) {
    int x1 = TwipsToPixels(std::min(line.x1, line.x2));
    int y1 = TwipsToPixels(std::min(line.y1, line.y2));
    int x2 = TwipsToPixels(std::max(line.x1, line.x2));
    int y2 = TwipsToPixels(std::max(line.y1, line.y2));
    widget->setGeometry(x1, y1, std::max(1, x2 - x1 + 1), std::max(1, y2 - y1 + 1));
    widget->SetColor(MapColor(line.color));
    widget->setVisible(line.visible);
}

void SyncCommon(QWidget* widget, const Control& control) {
    widget->setEnabled(control.enabled);
    widget->setVisible(control.visible);
}

void SetFontIfChanged(QWidget* widget, const FontSpec& style) {
    QFont font = MapFont(style);
    if (widget->font() != font) {
        widget->setFont(font);
    }
}

void SyncButton(QPushButton* widget, const Button& button) {
    SetFontIfChanged(widget, button.font);
    QString caption = QString::fromStdString(button.caption); // "&" marks the accelerator
    if (widget->text() != caption) {
        widget->setText(caption);
    }
    widget->setGeometry(TwipsToRect(button.rect));
    SyncCommon(widget, button);
}

void SyncOption(QRadioButton* widget, const OptionButton& option) {
    SetFontIfChanged(widget, option.font);
    QString caption = QString::fromStdString(option.caption);
    if (widget->text() != caption) {
        widget->setText(caption);
    }
    QRect rect = TwipsToRect(option.rect);
    // Room for the indicator and the whole caption in the desktop's style and font, as far
    // as the container allows.
    QSize hint = widget->sizeHint();
    rect.setHeight(std::max(rect.height(), hint.height()));
    if (widget->parentWidget() != nullptr) {
        int room = widget->parentWidget()->width() - rect.left();
        rect.setWidth(std::max(rect.width(), std::min(hint.width(), room)));
    }
    widget->setGeometry(rect);
    if (widget->isChecked() != option.value) {
        QSignalBlocker block(widget);
        // An exclusive group cannot clear its checked button; both may be clear in the state.
        widget->setAutoExclusive(false);
        widget->setChecked(option.value);
        widget->setAutoExclusive(true);
    }
    SyncCommon(widget, option);
}

} // namespace

MainWindowView::MainWindowView(FrmMain& frm, QtRuntime& runtime, bool showWindow)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      frm_(frm), runtime_(runtime), showWindow_(showWindow) {
    setObjectName(QStringLiteral("frmMain"));
    setAutoFillBackground(true);
    QPalette face = palette();
    face.setColor(QPalette::Window, MapColor(kSysButtonFace));
    setPalette(face);
    BuildWidgets();
    ConnectEvents();
    SetTabOrder();
    SyncFromState();
}

void MainWindowView::BuildWidgets() {
    const MainForm& f = frm_.form;
    imgSide_ = Make<PanelWidget>(this, f.imgSide.name);
    picWelcome_ = Make<PanelWidget>(this, f.picWelcome.name);
    picLicense_ = Make<PanelWidget>(this, f.picLicense.name);
    picReadme_ = Make<PanelWidget>(this, f.picReadme.name);
    picInstall_ = Make<PanelWidget>(this, f.picInstall.name);
    picFinish_ = Make<PanelWidget>(this, f.picFinish.name);
    lneGrey_ = Make<LineWidget>(this, f.lneGrey.name);
    lneWhite_ = Make<LineWidget>(this, f.lneWhite.name);
    lblLink_ = Make<LabelWidget>(this, f.lblLink.name);
    lblLink_->setCursor(Qt::PointingHandCursor);
    lblBrand_ = Make<LabelWidget>(this, f.lblBrand.name);
    cmdBack_ = Make<QPushButton>(this, f.cmdBack.name);
    cmdNext_ = Make<QPushButton>(this, f.cmdNext.name);
    cmdCancel_ = Make<QPushButton>(this, f.cmdCancel.name);
    for (QPushButton* button : {cmdBack_, cmdNext_, cmdCancel_}) {
        button->setAutoDefault(false);
    }

    lblWelcome_ = Make<LabelWidget>(picWelcome_, f.lblWelcome.name);
    lblSetup_ = Make<LabelWidget>(picWelcome_, f.lblSetup.name);
    lblFontPreview_ = Make<LabelWidget>(picWelcome_, f.lblFontPreview.name);
    picPreview_ = Make<DrawingWidget>(picWelcome_, f.picPreview.name);
    lblWelcomeNext_ = Make<LabelWidget>(picWelcome_, f.lblWelcomeNext.name);

    lblLicense_ = Make<LabelWidget>(picLicense_, f.lblLicense.name);
    lneLicense_ = Make<LineWidget>(picLicense_, f.lneLicense.name);
    picSubLicense_ = Make<PanelWidget>(picLicense_, f.picSubLicense.name);
    lblAcceptTerms_ = Make<LabelWidget>(picSubLicense_, f.lblAcceptTerms.name);
    txtLicense_ = Make<QPlainTextEdit>(picSubLicense_, f.txtLicense.name);
    optAgree_ = Make<QRadioButton>(picSubLicense_, f.optAgree.name);
    optDisagree_ = Make<QRadioButton>(picSubLicense_, f.optDisagree.name);

    lblReadMe_ = Make<LabelWidget>(picReadme_, f.lblReadMe.name);
    lblSubReadme_ = Make<LabelWidget>(picReadme_, f.lblSubReadme.name);
    lneReadme_ = Make<LineWidget>(picReadme_, f.lneReadme.name);
    picSubReadme_ = Make<PanelWidget>(picReadme_, f.picSubReadme.name);
    txtReadme_ = Make<QPlainTextEdit>(picSubReadme_, f.txtReadme.name);

    lblInstalling_ = Make<LabelWidget>(picInstall_, f.lblInstalling.name);
    lneInstall_ = Make<LineWidget>(picInstall_, f.lneInstall.name);
    picSubInstall_ = Make<PanelWidget>(picInstall_, f.picSubInstall.name);
    lblStatus_ = Make<LabelWidget>(picSubInstall_, f.lblStatus.name);
    picProgCon_ = Make<PanelWidget>(picSubInstall_, f.picProgCon.name);
    picProg_ = Make<FillWidget>(picProgCon_, f.picProg.name);
    lblPercent_ = Make<LabelWidget>(picProgCon_, f.lblPercent.name);
    lblInstall_ = Make<LabelWidget>(picSubInstall_, f.lblInstall.name);

    lblFinish_ = Make<LabelWidget>(picFinish_, f.lblFinish.name);
    lblFinishText_ = Make<LabelWidget>(picFinish_, f.lblFinishText.name);
    lblFinishFinish_ = Make<LabelWidget>(picFinish_, f.lblFinishFinish.name);

    for (QPlainTextEdit* box : {txtLicense_, txtReadme_}) {
        box->setReadOnly(true);
        box->setTabChangesFocus(true);
        box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
}

template <typename Handler> void MainWindowView::Run(Handler handler) {
    handler();
    SyncFromState();
}

void MainWindowView::ConnectEvents() {
    connect(cmdNext_, &QPushButton::clicked, this,
            [this] { Run([this] { frm_.cmdNext_Click(); }); });
    connect(cmdBack_, &QPushButton::clicked, this,
            [this] { Run([this] { frm_.cmdBack_Click(); }); });
    connect(cmdCancel_, &QPushButton::clicked, this,
            [this] { Run([this] { frm_.cmdCancel_Click(); }); });
    connect(optAgree_, &QRadioButton::clicked, this,
            [this] { Run([this] { frm_.optAgree_Click(); }); });
    connect(optDisagree_, &QRadioButton::clicked, this,
            [this] { Run([this] { frm_.optDisagree_Click(); }); });
    connect(lblLink_, &LabelWidget::clicked, this,
            [this] { Run([this] { frm_.lblLink_Click(); }); });
    // Whether Escape cancels is the form's decision.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this,
            [this] { Run([this] { frm_.Form_KeyEscape(); }); });
}

void MainWindowView::SetTabOrder() {
    // Next first, then Cancel, the page controls, and Back last.
    QWidget* order[] = {cmdNext_,     cmdCancel_, txtLicense_, optAgree_,
                        optDisagree_, txtReadme_, cmdBack_};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        QWidget::setTabOrder(order[i], order[i + 1]);
    }
}

void MainWindowView::SyncLabel(LabelWidget* widget, const Label& label,
                               const QColor& containerColor, QPoint clientOrigin) {
    SetFontIfChanged(widget, label.font);
    widget->SetText(ToDisplayText(label.caption));
    widget->SetTextColor(MapColor(label.foreColor));
    widget->SetCentered(label.align == TextAlign::Center);
    // A label sized to its text stays on one line; any other wraps within its width.
    widget->SetWrapped(!label.autoSize || label.wordWrap);
    widget->SetFill(containerColor, !label.transparent);
    QRect rect = TwipsToRect(label.rect).translated(clientOrigin);
    if (label.autoSize) {
        QSize text = widget->TextSize();
        if (label.wordWrap) {
            QRect wrapped = widget->fontMetrics().boundingRect(QRect(0, 0, rect.width(), 1 << 20),
                                                               Qt::TextWordWrap, widget->text());
            rect.setHeight(wrapped.height());
        } else {
            rect.setSize(text);
        }
    }
    widget->setGeometry(rect);
    SyncCommon(widget, label);
}

void MainWindowView::SyncPanel(PanelWidget* widget, const Panel& panel) {
    widget->SetBackground(MapColor(panel.backColor));
    widget->SetSunken(panel.sunkenBorder);
    widget->SetPicture(runtime_.ImageOf(panel.picture));
    widget->setGeometry(TwipsToRect(panel.rect));
    SyncCommon(widget, panel);
}

void MainWindowView::SyncTextBox(QPlainTextEdit* widget, const TextBox& box, std::string& shown) {
    SetFontIfChanged(widget, box.font);
    if (shown != box.text) {
        widget->setPlainText(ToDisplayText(box.text));
        shown = box.text;
    }
    widget->setVerticalScrollBarPolicy(box.verticalScrollBar ? Qt::ScrollBarAlwaysOn
                                                             : Qt::ScrollBarAsNeeded);
    widget->setGeometry(TwipsToRect(box.rect));
    SyncCommon(widget, box);
}

void MainWindowView::SyncFromState() {
    const MainForm& f = frm_.form;
    // A window that stays hidden needs no up-to-date widgets yet (the extraction yields
    // many times while it is hidden); it is brought up to date in full when it shows.
    if (!isVisible() && !(f.visible && showWindow_) && synced_) {
        return;
    }
    synced_ = true;
    setFixedSize(TwipsToPixels(f.clientWidth), TwipsToPixels(f.clientHeight));
    QString title = ToDisplayText(f.caption);
    if (windowTitle() != title) {
        setWindowTitle(title);
    }
    QColor face = MapColor(kSysButtonFace);

    SyncPanel(imgSide_, f.imgSide);
    for (auto [widget, panel] : {std::pair{picWelcome_, &f.picWelcome},
                                 {picLicense_, &f.picLicense},
                                 {picReadme_, &f.picReadme},
                                 {picInstall_, &f.picInstall},
                                 {picFinish_, &f.picFinish}}) {
        SyncPanel(widget, *panel);
    }
    SyncLine(lneGrey_, f.lneGrey);
    SyncLine(lneWhite_, f.lneWhite);
    SyncLabel(lblLink_, f.lblLink, face);
    SyncLabel(lblBrand_, f.lblBrand, face);
    SyncButton(cmdBack_, f.cmdBack);
    SyncButton(cmdNext_, f.cmdNext);
    SyncButton(cmdCancel_, f.cmdCancel);

    QColor welcome = MapColor(f.picWelcome.backColor);
    SyncLabel(lblWelcome_, f.lblWelcome, welcome);
    SyncLabel(lblSetup_, f.lblSetup, welcome);
    SyncLabel(lblFontPreview_, f.lblFontPreview, welcome);
    SyncLabel(lblWelcomeNext_, f.lblWelcomeNext, welcome);
    // The preview area's size is the canvas's: the preview grows or shrinks it to its lines.
    QtPreviewCanvas& canvas = runtime_.previewCanvas();
    picPreview_->SetDrawing(&canvas.image());
    picPreview_->setGeometry(QRect(TwipsToRect(f.picPreview.rect).topLeft(), canvas.size()));
    SyncCommon(picPreview_, f.picPreview);

    QColor license = MapColor(f.picLicense.backColor);
    SyncLabel(lblLicense_, f.lblLicense, license);
    SyncLine(lneLicense_, f.lneLicense);
    SyncPanel(picSubLicense_, f.picSubLicense);
    SyncLabel(lblAcceptTerms_, f.lblAcceptTerms, MapColor(f.picSubLicense.backColor));
    SyncTextBox(txtLicense_, f.txtLicense, licenseShown_);
    SyncOption(optAgree_, f.optAgree);
    SyncOption(optDisagree_, f.optDisagree);

    QColor readme = MapColor(f.picReadme.backColor);
    SyncLabel(lblReadMe_, f.lblReadMe, readme);
    SyncLabel(lblSubReadme_, f.lblSubReadme, readme);
    SyncLine(lneReadme_, f.lneReadme);
    SyncPanel(picSubReadme_, f.picSubReadme);
    SyncTextBox(txtReadme_, f.txtReadme, readmeShown_);

    QColor install = MapColor(f.picInstall.backColor);
    QColor subInstall = MapColor(f.picSubInstall.backColor);
    SyncLabel(lblInstalling_, f.lblInstalling, install);
    SyncLine(lneInstall_, f.lneInstall);
    SyncPanel(picSubInstall_, f.picSubInstall);
    SyncLabel(lblStatus_, f.lblStatus, subInstall);
    SyncPanel(picProgCon_, f.picProgCon);
    // The trough's children sit in its client area, inside the border; the fill never
    // spills over the border however wide the run makes it.
    QRect client = picProgCon_->contentsRect();
    picProg_->SetColor(MapColor(f.picProg.color));
    QRect fill = TwipsToRect(f.picProg.rect).translated(client.topLeft()).intersected(client);
    picProg_->setGeometry(fill);
    SyncCommon(picProg_, f.picProg);
    picProg_->setVisible(f.picProg.visible && !fill.isEmpty());
    SyncLabel(lblPercent_, f.lblPercent, MapColor(f.picProgCon.backColor), client.topLeft());
    SyncLabel(lblInstall_, f.lblInstall, subInstall);

    QColor finish = MapColor(f.picFinish.backColor);
    SyncLabel(lblFinish_, f.lblFinish, finish);
    SyncLabel(lblFinishText_, f.lblFinishText, finish);
    SyncLabel(lblFinishFinish_, f.lblFinishFinish, finish);

    SyncWindow();
}

void MainWindowView::SyncWindow() {
    bool wanted = frm_.form.visible && showWindow_;
    if (wanted && !isVisible()) {
        if (!placed_) {
            // Centred on the screen when first shown.
            QScreen* screen = QGuiApplication::primaryScreen();
            if (screen != nullptr) {
                move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                         screen->availableGeometry())
                         .topLeft());
            }
            placed_ = true;
        }
        show();
        cmdNext_->setFocus(Qt::OtherFocusReason);
    } else if (!wanted && isVisible()) {
        hide();
    }
}

void MainWindowView::RepaintNow() {
    if (isVisible()) {
        repaint();
    }
}

void MainWindowView::closeEvent(QCloseEvent* event) {
    std::int16_t cancel = 0;
    frm_.Form_Unload(cancel);
    if (cancel != 0) {
        event->ignore();
        SyncFromState();
        return;
    }
    event->accept();
    frm_.EndProgram(ExitCode::Cancelled);
}

} // namespace kernova::qt
