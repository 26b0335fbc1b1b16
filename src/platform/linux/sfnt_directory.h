#pragma once

#include <cstddef>

namespace kernova {

// False when the bytes are a TrueType/OpenType font (or collection) whose first face lists
// a table that does not lie wholly within them: a truncated or damaged file. True for
// anything else, including formats that are not sfnt at all (those are left to FreeType).
bool SfntTablesInside(const unsigned char* data, std::size_t size);

} // namespace kernova
