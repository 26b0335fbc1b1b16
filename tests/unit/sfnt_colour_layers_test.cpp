// Reading a font's colour-layer glyphs (COLR version 0 in CPAL's first palette), from
// well-made and damaged tables alike.
#include "fakes/fake_file_system.h"
#include "fakes/sfnt_bytes.h"
#include "fonts/sfnt_colour_layers.h"

#include <array>
#include <cstdio>
#include <gtest/gtest.h>

namespace kernova::test {
namespace {

// COLR: base glyphs (glyph, first layer, count) and layers (glyph, palette index).
std::string Colr(const std::vector<std::array<std::uint16_t, 3>>& bases,
                 const std::vector<std::pair<std::uint16_t, std::uint16_t>>& layers) {
    std::string table = Big16(0) + Big16(static_cast<std::uint32_t>(bases.size())) + Big32(14) +
                        Big32(static_cast<std::uint32_t>(14 + bases.size() * 6)) +
                        Big16(static_cast<std::uint32_t>(layers.size()));
    for (const auto& [glyph, first, count] : bases) {
        table += Big16(glyph) + Big16(first) + Big16(count);
    }
    for (const auto& [glyph, index] : layers) {
        table += Big16(glyph) + Big16(index);
    }
    return table;
}

// CPAL with one palette of `colours` (blue, green, red, alpha bytes each).
std::string Cpal(const std::vector<std::string>& colours) {
    std::string table = Big16(0) + Big16(static_cast<std::uint32_t>(colours.size())) + Big16(1) +
                        Big16(static_cast<std::uint32_t>(colours.size())) + Big32(14) + Big16(0);
    for (const std::string& colour : colours) {
        table += colour;
    }
    return table;
}

// Each glyph with layers as "glyph:layer/colour,layer/colour" ("fg" the text's colour),
// glyphs joined by spaces.
std::string Read(const std::string& bytes) {
    FakeFileSystem files;
    files.AddFile("/f.ttf", bytes);
    std::error_code ec;
    const ColourGlyphs glyphs = ReadColourGlyphs(*files.Open("/f.ttf", ec));
    std::string text;
    for (const auto& [glyph, layers] : glyphs) {
        text += (text.empty() ? "" : " ") + std::to_string(glyph) + ":";
        for (const ColourLayer& layer : layers) {
            char colour[16];
            std::snprintf(colour, sizeof colour, "%08X", layer.argb);
            text += std::to_string(layer.glyph) + "/" + (layer.foreground ? "fg" : colour) +
                    (&layer == &layers.back() ? "" : ",");
        }
    }
    return text;
}

TEST(SfntColourLayers, ReadsTheLayersOfEachColourGlyphInTheFirstPalette) {
    const std::string red("\x00\x00\xFF\xFF", 4), blue("\xFF\x00\x00\x80", 4);
    const std::string layers = Colr({{5, 0, 2}, {6, 2, 1}}, {{7, 0}, {8, 1}, {9, 0xFFFF}});
    const std::pair<std::string, std::string> cases[] = {
        {SfntBytes({{"COLR", layers}, {"CPAL", Cpal({red, blue})}}),
         "5:7/FFFF0000,8/800000FF 6:9/fg"},
        // A colour the palette lacks: that glyph is drawn plain.
        {SfntBytes({{"COLR", layers}, {"CPAL", Cpal({red})}}), "6:9/fg"},
        // Layers past the list, tables cut short or missing.
        {SfntBytes({{"COLR", Colr({{5, 2, 2}}, {{7, 0}, {8, 0}})}, {"CPAL", Cpal({red})}}), ""},
        {SfntBytes({{"COLR", layers.substr(0, 20)}, {"CPAL", Cpal({red, blue})}}), ""},
        {SfntBytes({{"COLR", layers}, {"CPAL", Cpal({red, blue}).substr(0, 18)}}), ""},
        {SfntBytes({{"COLR", layers}}), ""},
        {"not a font at all", ""},
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(Read(bytes), expected);
    }
}

} // namespace
} // namespace kernova::test
