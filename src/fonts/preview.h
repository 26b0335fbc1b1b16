#pragma once

#include <optional>
#include <string>

namespace kernova {

class FileSystem;
class FontSystem;
class PreviewCanvas;

// Draws a sample of the font of `fontFile` (that file itself, never an installed font of
// the same name) and fits the area's height to it. A font with the Latin alphabet gets the
// three usual lines at the largest of 14, 12, 11 and 10 points at which the upper-case
// line fits the area; any other font a sample of what its cmap maps (preview_sample.h) at
// the largest of those sizes at which its lines fit, a line still too wide at 10 points
// losing words or characters from its end. A statement that fails is skipped and the next
// one runs. Returns the area's new height in pixels, or nothing when it could not be set.
std::optional<int> DrawFontPreview(PreviewCanvas& canvas, FileSystem& files, FontSystem& fonts,
                                   const std::string& fontFile);

} // namespace kernova
