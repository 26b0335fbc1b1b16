#pragma once

#include "platform/win32/win32_api.h"

#include <string>

namespace kernova {
struct FontSpec;
}

namespace kernova::win32 {

// The form's fonts (Tahoma 8.25, Verdana 12 bold) as GDI fonts at `dpi` dots per inch.
HFONT CreateFormFont(const FontSpec& font, int dpi = 96);

// Width in pixels of `text` (UTF-8) drawn in `font` at 96 dpi, as a label draws it.
int MeasureText(const FontSpec& font, const std::string& text);

} // namespace kernova::win32
