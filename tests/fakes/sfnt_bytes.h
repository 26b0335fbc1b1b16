#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kernova::test {

// Big-endian numbers as sfnt tables store them.
inline std::string Big16(std::uint32_t value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value)};
}
inline std::string Big32(std::uint32_t value) {
    return Big16(value >> 16) + Big16(value & 0xFFFF);
}

// A single sfnt font (TrueType signature) holding just `tables` (tag, bytes), each laid out
// after the directory in the order given.
inline std::string SfntBytes(const std::vector<std::pair<std::string, std::string>>& tables) {
    std::string head = Big32(0x00010000) + Big16(static_cast<std::uint32_t>(tables.size())) +
                       Big16(0) + Big16(0) + Big16(0);
    std::string body;
    const std::size_t start = 12 + 16 * tables.size();
    for (const auto& [tag, bytes] : tables) {
        head += tag + Big32(0) + Big32(static_cast<std::uint32_t>(start + body.size())) +
                Big32(static_cast<std::uint32_t>(bytes.size()));
        body += bytes;
    }
    return head + body;
}

// A cmap table of `subtables` (platform, encoding, subtable bytes).
struct CmapSubtable {
    std::uint16_t platform, encoding;
    std::string bytes;
};
inline std::string CmapBytes(const std::vector<CmapSubtable>& subtables) {
    std::string head = Big16(0) + Big16(static_cast<std::uint32_t>(subtables.size()));
    std::string body;
    const std::size_t start = 4 + 8 * subtables.size();
    for (const CmapSubtable& subtable : subtables) {
        head += Big16(subtable.platform) + Big16(subtable.encoding) +
                Big32(static_cast<std::uint32_t>(start + body.size()));
        body += subtable.bytes;
    }
    return head + body;
}

// A format 4 segment: `first`..`last` mapped by `delta`, or, with `glyphs`, to those glyphs
// (one a code point) through the glyph array.
struct Segment {
    std::uint16_t first, last, delta;
    std::vector<std::uint16_t> glyphs = {};
};
inline std::string Format4(std::vector<Segment> segments) {
    segments.push_back({0xFFFF, 0xFFFF, 1}); // the closing segment every format 4 ends with
    const std::size_t count = segments.size();
    std::string ends, starts, deltas, offsets, array;
    for (std::size_t i = 0; i < count; ++i) {
        ends += Big16(segments[i].last);
        starts += Big16(segments[i].first);
        deltas += Big16(segments[i].delta);
        if (segments[i].glyphs.empty()) {
            offsets += Big16(0);
        } else {
            // From this offset entry to the segment's first glyph in the array.
            offsets += Big16(static_cast<std::uint32_t>((count - i) * 2 + array.size()));
            for (std::uint16_t glyph : segments[i].glyphs) {
                array += Big16(glyph);
            }
        }
    }
    std::string body = ends + Big16(0) + starts + deltas + offsets + array;
    return Big16(4) + Big16(static_cast<std::uint32_t>(14 + body.size())) + Big16(0) +
           Big16(static_cast<std::uint32_t>(count * 2)) + Big16(0) + Big16(0) + Big16(0) + body;
}

// A format 12 group: `first`..`last` mapped to consecutive glyphs from `glyph`.
struct Group {
    std::uint32_t first, last, glyph;
};
inline std::string Format12(const std::vector<Group>& groups) {
    std::string body;
    for (const Group& group : groups) {
        body += Big32(group.first) + Big32(group.last) + Big32(group.glyph);
    }
    return Big16(12) + Big16(0) + Big32(static_cast<std::uint32_t>(16 + body.size())) + Big32(0) +
           Big32(static_cast<std::uint32_t>(groups.size())) + body;
}

// A font whose cmap has one subtable.
inline std::string FontMapping(std::uint16_t platform, std::uint16_t encoding,
                               const std::string& subtable) {
    return SfntBytes({{"cmap", CmapBytes({{platform, encoding, subtable}})}});
}

} // namespace kernova::test
