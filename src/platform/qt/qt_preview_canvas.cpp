#include "platform/qt/qt_preview_canvas.h"

#include "platform/font_system.h"
#include "platform/memory_input_file.h"
#include "platform/qt/colour_glyph_painter.h"
#include "platform/qt/form_style.h"

#include <QFile>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace kernova::qt {
namespace {

// Full names as the font registry compares them: without regard to case and spaces.
QString Folded(const std::string& name) {
    QString folded = QString::fromStdString(name).toCaseFolded();
    folded.remove(QChar(' '));
    return folded;
}

QGlyphRun GlyphRun(const QRawFont& font, const QString& text, qreal& width) {
    QList<quint32> glyphs = font.glyphIndexesForString(text);
    QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs, QRawFont::SeparateAdvances |
                                                                       QRawFont::UseDesignMetrics);
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    qreal x = 0;
    for (const QPointF& advance : advances) {
        positions.append(QPointF(x, 0));
        x += advance.x();
    }
    width = x;
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    return run;
}

// Text beyond the Latin letters may need shaping: joined letters, right-to-left order,
// marks placed on their letters. The usual sample lines never do, and keep the glyph-by-
// glyph drawing they have always had.
bool NeedsShaping(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 0x250 || c.isSurrogate(); });
}

// One line of `text` shaped by Qt, starting at the left edge whatever its direction.
void LayOutLine(QTextLayout& layout, const QString& text) {
    QTextOption option(Qt::AlignLeft | Qt::AlignAbsolute);
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setLineWidth(1e6);
        line.setPosition(QPointF(0, 0));
    }
    layout.endLayout();
}

// The drawing surface is taller than the area, so lines printed below its bottom edge are
// still there when the area grows to fit them.
constexpr int kMinimumSurfaceHeight = 512;

} // namespace

QtPreviewCanvas::QtPreviewCanvas(FontSystem& fonts, QSize size, double devicePixelRatio)
    : fonts_(fonts), size_(size), devicePixelRatio_(std::max(1.0, devicePixelRatio)),
      image_(BlankImage(QSize(size.width(), std::max(size.height(), kMinimumSurfaceHeight)))) {}

QImage QtPreviewCanvas::BlankImage(QSize size) const {
    if (size.isEmpty()) {
        return {};
    }
    QImage image(size * devicePixelRatio_, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio_);
    image.fill(Qt::white);
    return image;
}

void QtPreviewCanvas::AddFontFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read the font file " + path);
    }
    QByteArray data = file.readAll();
    if (!QRawFont(data, PixelSize()).isValid()) {
        throw std::runtime_error("not a usable font: " + path);
    }
    added_.push_back({path, fonts_.FaceName(path), std::move(data)});
}

void QtPreviewCanvas::ReleaseFontFile(const std::string& path) {
    auto found = std::find_if(added_.begin(), added_.end(),
                              [&](const AddedFont& font) { return font.path == path; });
    if (found == added_.end()) {
        throw std::runtime_error("font file was not added: " + path);
    }
    // A font already selected keeps its own copy of the data: the drawing stays as chosen.
    added_.erase(found);
}

void QtPreviewCanvas::SetFontName(const std::string& faceName) {
    if (Folded(faceName).isEmpty()) {
        throw std::runtime_error("empty font name");
    }
    auto exact = std::find_if(added_.begin(), added_.end(),
                              [&](const AddedFont& font) { return font.fullName == faceName; });
    if (exact == added_.end()) {
        exact = std::find_if(added_.begin(), added_.end(), [&](const AddedFont& font) {
            return !font.fullName.empty() && Folded(font.fullName) == Folded(faceName);
        });
    }
    if (exact == added_.end()) {
        throw std::runtime_error("no added font is named " + faceName);
    }
    QRawFont font(exact->data, PixelSize(), QFont::PreferNoHinting);
    if (!font.isValid()) {
        throw std::runtime_error("cannot load the font " + faceName);
    }
    selected_ = font;
    selectedData_ = exact->data;
    MemoryInputFile file(selectedData_.constData(), static_cast<std::size_t>(selectedData_.size()));
    colours_ = ReadColourGlyphs(file);
    shaped_.reset();
    shapedTried_ = false;
}

const PrivateFontFamily* QtPreviewCanvas::Shaped() {
    if (selected_ && !shapedTried_) {
        shapedTried_ = true;
        auto family = std::make_unique<PrivateFontFamily>(selectedData_);
        if (family->valid()) {
            shaped_ = std::move(family);
        }
    }
    return shaped_.get();
}

void QtPreviewCanvas::SetFontSize(double points) {
    if (!(points > 0) || points > 2048) {
        throw std::invalid_argument("font size out of range");
    }
    points_ = points;
    if (selected_) {
        selected_->setPixelSize(PixelSize());
    }
}

int QtPreviewCanvas::PixelSize() const {
    // Points at 96 dpi, rounded to whole pixels like a screen font's height.
    return std::max(1, static_cast<int>(std::lround(points_ * 96.0 / 72.0)));
}

int QtPreviewCanvas::TextWidth(const std::string& text) {
    QString qtext = QString::fromStdString(text);
    const PrivateFontFamily* shaped = NeedsShaping(qtext) ? Shaped() : nullptr;
    if (shaped) {
        QTextLayout layout(qtext, shaped->font(PixelSize()));
        LayOutLine(layout, qtext);
        return layout.lineCount() == 0
                   ? 0
                   : static_cast<int>(std::ceil(layout.lineAt(0).naturalTextWidth()));
    }
    if (selected_) {
        qreal width = 0;
        GlyphRun(*selected_, qtext, width);
        return static_cast<int>(std::lround(width));
    }
    FontSpec style{"", points_, false};
    return static_cast<int>(std::lround(QFontMetricsF(MapFont(style)).horizontalAdvance(qtext)));
}

void QtPreviewCanvas::Print(const std::string& text) {
    QString qtext = QString::fromStdString(text);
    const PrivateFontFamily* shaped = NeedsShaping(qtext) ? Shaped() : nullptr;
    int lineHeight = 0;
    if (!image_.isNull()) {
        QPainter painter(&image_);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setPen(Qt::black);
        if (shaped) {
            QTextLayout layout(qtext, shaped->font(PixelSize()));
            LayOutLine(layout, qtext);
            const qreal ascent = layout.lineCount() > 0 ? layout.lineAt(0).ascent() : 0;
            const QPointF origin(0, currentY_ + std::ceil(selected_->ascent()) - ascent);
            if (colours_.empty()) {
                layout.draw(&painter, origin);
            } else {
                for (const QGlyphRun& run : layout.glyphRuns()) {
                    DrawGlyphRunInColour(painter, origin, run, colours_);
                }
            }
        } else if (selected_) {
            qreal width = 0;
            QGlyphRun run = GlyphRun(*selected_, qtext, width);
            DrawGlyphRunInColour(painter, QPointF(0, currentY_ + std::ceil(selected_->ascent())),
                                 run, colours_);
        } else {
            FontSpec style{"", points_, false};
            QFont font = MapFont(style);
            painter.setFont(font);
            painter.drawText(QPointF(0, currentY_ + QFontMetrics(font).ascent()), qtext);
        }
    }
    if (selected_) {
        lineHeight =
            static_cast<int>(std::ceil(selected_->ascent()) + std::ceil(selected_->descent()));
    } else {
        FontSpec style{"", points_, false};
        lineHeight = QFontMetrics(MapFont(style)).height();
    }
    currentY_ += lineHeight;
}

void QtPreviewCanvas::SetHeight(int pixels) {
    if (pixels < 0) {
        throw std::invalid_argument("negative height");
    }
    size_.setHeight(pixels);
    int surfaceHeight = image_.isNull() ? 0 : static_cast<int>(image_.height() / devicePixelRatio_);
    if (pixels > surfaceHeight) {
        QImage grown = BlankImage(QSize(size_.width(), pixels));
        if (!grown.isNull() && !image_.isNull()) {
            QPainter painter(&grown);
            painter.drawImage(QPointF(0, 0), image_);
        }
        image_ = grown;
    }
}

std::vector<std::string> QtPreviewCanvas::AddedFaceNames() const {
    std::vector<std::string> names;
    for (const AddedFont& font : added_) {
        names.push_back(font.fullName);
    }
    return names;
}

} // namespace kernova::qt
