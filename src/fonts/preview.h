#pragma once

#include <optional>
#include <string>

namespace kernova {

class FontSystem;
class PreviewCanvas;

// Draws the three sample lines in the font of `fontFile` (that file itself, never an
// installed font of the same name) at the largest of 14, 12, 11 and 10 points at which the
// upper-case line fits the area, and fits the area's height to them. A statement that
// fails is skipped and the next one runs. Returns the area's new height in pixels, or
// nothing when it could not be set.
std::optional<int> DrawFontPreview(PreviewCanvas& canvas, FontSystem& fonts,
                                   const std::string& fontFile);

} // namespace kernova
