#pragma once

#include "ui/controls.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <string>

namespace kernova::qt {

// The form's fonts ("Tahoma", "Verdana") as the desktop's sans-serif at the given size. The
// size is taken in 96-dpi pixels so text matches the twips layout on every screen; Qt's
// device-pixel ratio scales both together on high-density screens.
QFont MapFont(const FontSpec& font);

// A form colour: 0x800000nn is system colour nn (taken from the application palette),
// anything else 0x00BBGGRR.
QColor MapColor(std::uint32_t color);

// Form geometry (twips) as logical pixels.
QRect TwipsToRect(const Rect& rect);

// Form text (UTF-8, lines ending in CR LF) as Qt text with plain line feeds.
QString ToDisplayText(const std::string& text);

} // namespace kernova::qt
