#include "platform/qt/form_widgets.h"

#include <QMouseEvent>
#include <QPainter>

namespace kernova::qt {

PanelWidget::PanelWidget(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::NoFrame);
}

void PanelWidget::SetBackground(const QColor& color) {
    if (color != background_) {
        background_ = color;
        update();
    }
}

void PanelWidget::SetPicture(const QImage* picture) {
    if (picture != picture_) {
        picture_ = picture;
        update();
    }
}

void PanelWidget::SetSunken(bool sunken) {
    int style = sunken ? (QFrame::Panel | QFrame::Sunken) : QFrame::NoFrame;
    if (frameStyle() != style) {
        setFrameStyle(style);
        setLineWidth(1);
    }
}

void PanelWidget::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        QRect client = contentsRect();
        painter.fillRect(client, background_);
        if (picture_ != nullptr) {
            painter.setClipRect(client);
            // Unscaled: one picture pixel per logical pixel, from the top-left corner.
            painter.drawImage(
                QRect(client.topLeft(), picture_->size() / picture_->devicePixelRatio()),
                *picture_);
        }
    }
    QFrame::paintEvent(event); // the border
}

LabelWidget::LabelWidget(QWidget* parent) : QWidget(parent) {}

void LabelWidget::SetText(const QString& text) {
    if (text != text_) {
        text_ = text;
        update();
    }
}

void LabelWidget::SetTextColor(const QColor& color) {
    if (color != color_) {
        color_ = color;
        update();
    }
}

void LabelWidget::SetCentered(bool centered) {
    if (centered != centered_) {
        centered_ = centered;
        update();
    }
}

void LabelWidget::SetWrapped(bool wrapped) {
    if (wrapped != wrapped_) {
        wrapped_ = wrapped;
        update();
    }
}

void LabelWidget::SetFill(const QColor& color, bool filled) {
    if (color != fill_ || filled != filled_) {
        fill_ = color;
        filled_ = filled;
        update();
    }
}

QSize LabelWidget::TextSize() const {
    QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text_), metrics.height()};
}

void LabelWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (filled_) {
        painter.fillRect(rect(), fill_);
    }
    int flags = Qt::TextExpandTabs;
    flags |= centered_ ? (Qt::AlignHCenter | Qt::AlignVCenter) : (Qt::AlignLeft | Qt::AlignTop);
    if (wrapped_) {
        flags |= Qt::TextWordWrap;
    }
    if (isEnabled()) {
        painter.setPen(color_);
    } else {
        // Greyed, with a light shadow: the classic look of a disabled caption.
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(rect().translated(1, 1), flags, text_);
        painter.setPen(palette().color(QPalette::Disabled, QPalette::WindowText));
    }
    painter.drawText(rect(), flags, text_);
}

void LabelWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

LineWidget::LineWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineWidget::SetColor(const QColor& color) {
    if (color != color_) {
        color_ = color;
        update();
    }
}

void LineWidget::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), color_);
}

FillWidget::FillWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void FillWidget::SetColor(const QColor& color) {
    if (color != color_) {
        color_ = color;
        update();
    }
}

void FillWidget::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), color_);
}

DrawingWidget::DrawingWidget(QWidget* parent) : QWidget(parent) {}

void DrawingWidget::SetDrawing(const QImage* drawing) {
    drawing_ = drawing;
    update();
}

void DrawingWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (drawing_ != nullptr && !drawing_->isNull()) {
        painter.drawImage(QPointF(0, 0), *drawing_); // clipped to the area's current size
    }
}

} // namespace kernova::qt
