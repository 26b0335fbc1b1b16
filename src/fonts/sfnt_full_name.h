#pragma once

#include <cstdint>
#include <string>

namespace kernova {

class InputFile;

// The full name (name ID 4) of the file's first face, read from its name table as the
// system's font registry records it: the Windows English record (US English first, then any
// other English; the Unicode encodings), else the Macintosh Roman English record. Returned
// as written, spaces included. The empty text for anything that is not an sfnt font or
// collection, for a damaged or truncated one, and for a face without such a record. Reads
// only the headers, the table directory and the name table.
std::string SfntFullName(InputFile& file);

// The same for another name of the face: 1 the family, 2 the style, 4 the full name; of
// face `face` of a collection.
std::string SfntName(InputFile& file, int nameId, std::uint32_t face = 0);

} // namespace kernova
