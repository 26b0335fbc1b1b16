#pragma once

#include <cstdint>
#include <map>
#include <vector>

namespace kernova {

class InputFile;

// One layer of a colour glyph: another glyph of the font, filled with a colour.
struct ColourLayer {
    std::uint16_t glyph = 0;
    bool foreground = false; // the text's own colour rather than `argb`
    std::uint32_t argb = 0;  // 0xAARRGGBB
};

// The colour glyphs of face `face` of the file that its COLR table (version 0) draws as
// layers in colours of its CPAL table's first palette: the layers of each such glyph,
// bottom first. Empty for a font without them, and for a damaged table (never trusts an
// offset or a count in it). Reads only the headers, the table directory and those tables.
using ColourGlyphs = std::map<std::uint16_t, std::vector<ColourLayer>>;
ColourGlyphs ReadColourGlyphs(InputFile& file, std::uint32_t face = 0);

} // namespace kernova
