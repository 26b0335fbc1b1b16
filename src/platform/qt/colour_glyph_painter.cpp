#include "platform/qt/colour_glyph_painter.h"

#include <QPainterPath>
#include <QRawFont>

namespace kernova::qt {

void DrawGlyphRunInColour(QPainter& painter, QPointF origin, const QGlyphRun& run,
                          const ColourGlyphs& colours) {
    if (colours.empty()) {
        painter.drawGlyphRun(origin, run);
        return;
    }
    const QRawFont font = run.rawFont();
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    const QColor foreground = painter.pen().color();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i) {
        const QPointF at = origin + positions[i];
        const auto layers = colours.find(static_cast<std::uint16_t>(glyphs[i]));
        if (layers == colours.end()) {
            painter.fillPath(font.pathForGlyph(glyphs[i]).translated(at), foreground);
            continue;
        }
        for (const ColourLayer& layer : layers->second) {
            const QColor colour =
                layer.foreground ? foreground : QColor::fromRgba(static_cast<QRgb>(layer.argb));
            painter.fillPath(font.pathForGlyph(layer.glyph).translated(at), colour);
        }
    }
    painter.restore();
}

} // namespace kernova::qt
