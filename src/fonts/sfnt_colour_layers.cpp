#include "fonts/sfnt_colour_layers.h"

#include "fonts/sfnt_directory.h"
#include "platform/file_system.h"

#include <optional>

namespace kernova {
namespace {

// COLR and CPAL tables of real fonts are at most a few MiB.
constexpr std::uint64_t kMaxTable = 16 * 1024 * 1024;
constexpr std::uint16_t kForeground = 0xFFFF;

// The first palette's colours as 0xAARRGGBB (the table stores blue, green, red, alpha).
std::vector<std::uint32_t> FirstPalette(const std::vector<unsigned char>& cpal) {
    if (cpal.size() < 14 || ReadBig16(cpal.data() + 4) == 0) {
        return {};
    }
    const std::uint64_t entries = ReadBig16(cpal.data() + 2);
    const std::uint64_t records = ReadBig32(cpal.data() + 8);
    const std::uint64_t first = ReadBig16(cpal.data() + 12);
    if (records + (first + entries) * 4 > cpal.size()) {
        return {};
    }
    std::vector<std::uint32_t> colours;
    for (std::uint64_t i = 0; i < entries; ++i) {
        const unsigned char* bgra = cpal.data() + records + (first + i) * 4;
        colours.push_back((std::uint32_t{bgra[3]} << 24) | (std::uint32_t{bgra[2]} << 16) |
                          (std::uint32_t{bgra[1]} << 8) | bgra[0]);
    }
    return colours;
}

} // namespace

ColourGlyphs ReadColourGlyphs(InputFile& file, std::uint32_t face) {
    const auto colr = ReadFaceTable(file, face, SfntTag("COLR"), kMaxTable);
    const auto cpal = ReadFaceTable(file, face, SfntTag("CPAL"), kMaxTable);
    if (!colr || !cpal || colr->size() < 14) {
        return {};
    }
    const std::vector<std::uint32_t> palette = FirstPalette(*cpal);
    const std::uint64_t bases = ReadBig16(colr->data() + 2);
    const std::uint64_t basesAt = ReadBig32(colr->data() + 4);
    const std::uint64_t layersAt = ReadBig32(colr->data() + 8);
    const std::uint64_t layers = ReadBig16(colr->data() + 12);
    if (palette.empty() || basesAt + bases * 6 > colr->size() ||
        layersAt + layers * 4 > colr->size()) {
        return {};
    }
    ColourGlyphs glyphs;
    // Glyphs may share layers; all of them together are still bounded, whatever the counts.
    std::uint64_t budget = std::uint64_t{1} << 20;
    for (std::uint64_t i = 0; i < bases; ++i) {
        const unsigned char* base = colr->data() + basesAt + i * 6;
        const std::uint64_t first = ReadBig16(base + 2), count = ReadBig16(base + 4);
        if (first + count > layers || count > budget) {
            continue;
        }
        budget -= count;
        std::vector<ColourLayer> drawn;
        for (std::uint64_t k = first; k < first + count; ++k) {
            const unsigned char* layer = colr->data() + layersAt + k * 4;
            const std::uint16_t index = ReadBig16(layer + 2);
            if (index != kForeground && index >= palette.size()) {
                drawn.clear(); // a colour the palette lacks: the glyph is drawn plain
                break;
            }
            drawn.push_back({ReadBig16(layer), index == kForeground,
                             index == kForeground ? 0 : palette[index]});
        }
        if (!drawn.empty()) {
            glyphs[ReadBig16(base)] = std::move(drawn);
        }
    }
    return glyphs;
}

} // namespace kernova
