#pragma once

namespace kernova {

class InputFile;

// False when the file is a TrueType/OpenType font (or collection) whose first face lists a
// table that does not lie wholly within it: a truncated or damaged file. True for anything
// else, including formats that are not sfnt at all (those are left to FreeType). Reads
// only the headers and the table directory.
bool SfntTablesInside(InputFile& file);

} // namespace kernova
