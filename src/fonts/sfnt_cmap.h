#pragma once

#include "fonts/code_point_set.h"

#include <cstdint>

namespace kernova {

class InputFile;

// The Unicode code points that face `face` of the file (0: a single font, or a collection's
// first member) maps to a glyph other than the missing glyph, read from its cmap table. The
// subtable read is the best Unicode one the reader knows: a format 12 for the full
// repertoire (Windows 3/10, Unicode platform 0), else a format 4 for the BMP (Windows 3/1,
// Unicode platform 0), else a Windows symbol (3/0) format 4, whose codes lie in the Private
// Use Area. An empty set for anything that is not an sfnt font, a damaged or truncated
// one, or one without such a subtable. Reads only the headers, the table directory and the
// cmap table; never trusts an offset or a count in them.
CodePointSet ReadMappedCodePoints(InputFile& file, std::uint32_t face = 0);

} // namespace kernova
