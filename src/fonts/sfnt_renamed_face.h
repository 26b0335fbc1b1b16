#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kernova {

class InputFile;

// Face `face` of the file (0: a single font, or a collection's first member) as a single
// sfnt font of its own whose name table names it `family` (printable ASCII) and nothing
// else: the family, the full name and the PostScript name are `family`, the style
// "Regular". Every other table is copied unchanged. Lets a toolkit that picks fonts by
// family be given a font no installed one can be mistaken for. Nothing for a file that is
// not an sfnt font or collection, or a damaged one.
std::optional<std::string> SfntRenamedFace(InputFile& file, std::uint32_t face,
                                           const std::string& family);

} // namespace kernova
