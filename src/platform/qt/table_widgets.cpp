#include "platform/qt/table_widgets.h"

#include "platform/qt/form_style.h"
#include "platform/qt/form_widgets.h"
#include "platform/qt/qt_runtime.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <map>
#include <stdexcept>
#include <string_view>

namespace kernova::qt {
namespace {

QWidget* MakeWidget(ControlKind kind, QWidget* parent) {
    switch (kind) {
    case ControlKind::Label:
        return new LabelWidget(parent);
    case ControlKind::Button: {
        auto* button = new QPushButton(parent);
        button->setAutoDefault(false);
        return button;
    }
    case ControlKind::Panel:
        return new PanelWidget(parent);
    case ControlKind::PreviewArea:
        return new DrawingWidget(parent);
    case ControlKind::TextBox: {
        auto* box = new QPlainTextEdit(parent);
        box->setReadOnly(true);
        box->setTabChangesFocus(true);
        box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        return box;
    }
    case ControlKind::OptionButton:
        return new QRadioButton(parent);
    case ControlKind::Line:
        return new LineWidget(parent);
    case ControlKind::FilledRect:
        return new FillWidget(parent);
    }
    throw std::logic_error("unknown control kind");
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

// Where the container's client area starts (inside a border).
QPoint ClientOrigin(const QWidget* widget) {
    return widget->parentWidget()->contentsRect().topLeft();
}

QRect PlacedRect(const QWidget* widget, const Rect& rect) {
    return TwipsToRect(rect).translated(ClientOrigin(widget));
}

} // namespace

TableWidgets::TableWidgets(QWidget& window, std::vector<FormControl> controls, QtRuntime* runtime,
                           std::function<void(Handler)> onClick)
    : runtime_(runtime), onClick_(std::move(onClick)) {
    items_.reserve(controls.size());
    for (FormControl& control : controls) {
        items_.push_back({.control = control});
    }
    Build(window);
    SetTabOrder();
}

void TableWidgets::Build(QWidget& window) {
    std::map<std::string_view, const Item*> byName;
    for (Item& item : items_) {
        const ControlDesign& design = *item.control.design;
        QWidget* parent = &window;
        if (design.container != nullptr) {
            const Item* container = byName.at(design.container);
            parent = container->widget;
            item.container = std::get<const Panel*>(container->control.state);
        }
        if (design.kind == ControlKind::PreviewArea && runtime_ == nullptr) {
            throw std::logic_error("a preview area needs the runtime's canvas");
        }
        item.widget = MakeWidget(design.kind, parent);
        item.widget->setObjectName(QString::fromUtf8(design.name));
        Connect(item);
        byName[design.name] = &item;
    }
}

void TableWidgets::Connect(const Item& item) {
    Handler handler = item.control.design->click;
    if (handler == nullptr) {
        return;
    }
    auto forward = [this, handler] {
        if (onClick_) {
            onClick_(handler);
        }
    };
    if (auto* button = qobject_cast<QAbstractButton*>(item.widget)) {
        QObject::connect(button, &QAbstractButton::clicked, button, forward);
    } else if (auto* label = qobject_cast<LabelWidget*>(item.widget)) {
        label->setCursor(Qt::PointingHandCursor); // a label that does something is a link
        QObject::connect(label, &LabelWidget::clicked, label, forward);
    }
}

void TableWidgets::SetTabOrder() {
    std::vector<const Item*> stops;
    for (const Item& item : items_) {
        if (item.control.design->tabIndex >= 0) {
            stops.push_back(&item);
        }
    }
    std::sort(stops.begin(), stops.end(), [](const Item* a, const Item* b) {
        return a->control.design->tabIndex < b->control.design->tabIndex;
    });
    for (std::size_t i = 0; i + 1 < stops.size(); ++i) {
        QWidget::setTabOrder(stops[i]->widget, stops[i + 1]->widget);
    }
    firstInTabOrder_ = stops.empty() ? nullptr : stops.front()->widget;
}

// In table order: a container is up to date before what it holds is placed in it.
void TableWidgets::Sync() {
    for (Item& item : items_) {
        std::visit([&](const auto* state) { SyncItem(item, *state); }, item.control.state);
    }
}

void TableWidgets::SyncItem(Item& item, const Label& label) {
    auto* widget = static_cast<LabelWidget*>(item.widget);
    SetFontIfChanged(widget, label.font);
    widget->SetText(ToDisplayText(label.caption));
    widget->SetTextColor(MapColor(label.foreColor));
    widget->SetCentered(label.align == TextAlign::Center);
    // A label sized to its text stays on one line; any other wraps within its width.
    widget->SetWrapped(!label.autoSize || label.wordWrap);
    // An opaque label is filled with its container's colour.
    const std::uint32_t fill =
        item.container != nullptr ? item.container->backColor : kSysButtonFace;
    widget->SetFill(MapColor(fill), !label.transparent);
    QRect rect = PlacedRect(widget, label.rect);
    if (label.autoSize) {
        if (label.wordWrap) {
            QRect wrapped = widget->fontMetrics().boundingRect(QRect(0, 0, rect.width(), 1 << 20),
                                                               Qt::TextWordWrap, widget->text());
            rect.setHeight(wrapped.height());
        } else {
            rect.setSize(widget->TextSize());
        }
    }
    widget->setGeometry(rect);
    SyncCommon(widget, label);
}

void TableWidgets::SyncItem(Item& item, const Button& button) {
    auto* widget = static_cast<QPushButton*>(item.widget);
    SetFontIfChanged(widget, button.font);
    QString caption = QString::fromStdString(button.caption); // "&" marks the accelerator
    if (widget->text() != caption) {
        widget->setText(caption);
    }
    widget->setGeometry(PlacedRect(widget, button.rect));
    SyncCommon(widget, button);
}

void TableWidgets::SyncItem(Item& item, const Panel& panel) {
    if (item.control.design->kind == ControlKind::PreviewArea) {
        // The area's size is the canvas's: the preview grows or shrinks it to its lines.
        auto* widget = static_cast<DrawingWidget*>(item.widget);
        QtPreviewCanvas& canvas = runtime_->previewCanvas();
        widget->SetDrawing(&canvas.image());
        widget->setGeometry(QRect(PlacedRect(widget, panel.rect).topLeft(), canvas.size()));
        SyncCommon(widget, panel);
        return;
    }
    auto* widget = static_cast<PanelWidget*>(item.widget);
    widget->SetBackground(MapColor(panel.backColor));
    widget->SetSunken(panel.sunkenBorder);
    widget->SetPicture(runtime_ != nullptr ? runtime_->ImageOf(panel.picture) : nullptr);
    widget->setGeometry(PlacedRect(widget, panel.rect));
    SyncCommon(widget, panel);
}

void TableWidgets::SyncItem(Item& item, const TextBox& box) {
    auto* widget = static_cast<QPlainTextEdit*>(item.widget);
    SetFontIfChanged(widget, box.font);
    if (item.shownText != box.text) {
        widget->setPlainText(ToDisplayText(box.text));
        item.shownText = box.text;
    }
    widget->setVerticalScrollBarPolicy(box.verticalScrollBar ? Qt::ScrollBarAlwaysOn
                                                             : Qt::ScrollBarAsNeeded);
    widget->setGeometry(PlacedRect(widget, box.rect));
    SyncCommon(widget, box);
}

void TableWidgets::SyncItem(Item& item, const OptionButton& option) {
    auto* widget = static_cast<QRadioButton*>(item.widget);
    SetFontIfChanged(widget, option.font);
    QString caption = QString::fromStdString(option.caption);
    if (widget->text() != caption) {
        widget->setText(caption);
    }
    QRect rect = PlacedRect(widget, option.rect);
    // Room for the indicator and the whole caption in the desktop's style and font, as far
    // as the container allows.
    QSize hint = widget->sizeHint();
    rect.setHeight(std::max(rect.height(), hint.height()));
    int room = widget->parentWidget()->width() - rect.left();
    rect.setWidth(std::max(rect.width(), std::min(hint.width(), room)));
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

void TableWidgets::SyncItem(Item& item, const Line& line) {
    auto* widget = static_cast<LineWidget*>(item.widget);
    int x1 = TwipsToPixels(std::min(line.x1, line.x2));
    int y1 = TwipsToPixels(std::min(line.y1, line.y2));
    int x2 = TwipsToPixels(std::max(line.x1, line.x2));
    int y2 = TwipsToPixels(std::max(line.y1, line.y2));
    QRect rect(x1, y1, std::max(1, x2 - x1 + 1), std::max(1, y2 - y1 + 1));
    widget->setGeometry(rect.translated(ClientOrigin(widget)));
    widget->SetColor(MapColor(line.color));
    widget->setVisible(line.visible);
}

void TableWidgets::SyncItem(Item& item, const FilledRect& fill) {
    auto* widget = static_cast<FillWidget*>(item.widget);
    // The fill never spills over its container's border however wide the run makes it.
    QRect client = widget->parentWidget()->contentsRect();
    QRect rect = PlacedRect(widget, fill.rect).intersected(client);
    widget->SetColor(MapColor(fill.color));
    widget->setGeometry(rect);
    SyncCommon(widget, fill);
    widget->setVisible(fill.visible && !rect.isEmpty());
}

} // namespace kernova::qt
