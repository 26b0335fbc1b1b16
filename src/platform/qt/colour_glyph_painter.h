#pragma once

#include "fonts/sfnt_colour_layers.h"

#include <QGlyphRun>
#include <QPainter>
#include <QPointF>

namespace kernova::qt {

// Draws `run` at `origin` with the pen's colour, except that a glyph the font draws in
// colour layers (COLR, which this Qt draws as plain outlines) is drawn as those layers in
// their own colours, from the run's font.
void DrawGlyphRunInColour(QPainter& painter, QPointF origin, const QGlyphRun& run,
                          const ColourGlyphs& colours);

} // namespace kernova::qt
