// The preview's font readers on arbitrary bytes: the cmap reader gives code points of
// Unicode only, the sample chosen from them is never empty, the colour layers name glyphs
// of the font's range, and a renamed copy, when one is made, is a font that carries the new
// family and maps what the original maps.
#include "fonts/preview_sample.h"
#include "fonts/sfnt_cmap.h"
#include "fonts/sfnt_colour_layers.h"
#include "fonts/sfnt_full_name.h"
#include "fonts/sfnt_renamed_face.h"
#include "platform/memory_input_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kernova::MemoryInputFile file(data, size);
    const kernova::CodePointSet mapped = kernova::ReadMappedCodePoints(file);
    for (const kernova::CodePointSet::Range& range : mapped.Ranges()) {
        Check(range.first <= range.last && range.last <= 0x10FFFF);
    }
    Check(!kernova::ChoosePreviewSample(mapped).lines.empty());
    kernova::ReadColourGlyphs(file);
    if (const auto copy = kernova::SfntRenamedFace(file, 0, "Fuzzed Family")) {
        kernova::MemoryInputFile renamed(copy->data(), copy->size());
        Check(kernova::SfntName(renamed, 1) == "Fuzzed Family");
        Check(kernova::ReadMappedCodePoints(renamed).Count() == mapped.Count());
    }
    return 0;
}
