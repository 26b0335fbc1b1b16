#pragma once

#include <string>

namespace kernova {

// The full name of the first face of the font file at `path`, as fontconfig lists it:
// the name table's full name (name ID 4) from the Windows English record (US English
// first, then any other English; Unicode encodings), else from the Macintosh Roman English
// record; for a font that has neither, the full name fontconfig itself derives for the
// face (another language's record, or family and style). Returned as written, spaces
// included. The empty text for a missing, empty, truncated or damaged file, a folder, or
// anything FreeType cannot open as a font.
std::string ReadFontFullName(const std::string& path);

} // namespace kernova
