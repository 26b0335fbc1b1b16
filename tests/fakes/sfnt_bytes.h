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

// One face of a made-up sfnt font: just the names and the revision that tell fonts apart.
struct FaceSpec {
    std::string fullName;
    std::string style = "Regular";
    double revision = 1.0;
    std::string version = "Version 1.000";
};

inline void PutBig(std::string& out, std::uint32_t value, int bytes) {
    out += bytes == 2 ? Big16(value) : Big32(value);
}

// A name table (Windows, US English, UTF-16BE; ASCII names) and a head table.
inline std::pair<std::string, std::string> FaceTables(const FaceSpec& face) {
    const std::pair<int, std::string> names[] = {
        {2, face.style}, {4, face.fullName}, {5, face.version}};
    std::string records, strings;
    for (const auto& [id, text] : names) {
        std::string utf16;
        for (char c : text) {
            utf16 += '\0';
            utf16 += c;
        }
        for (std::uint32_t field : {3u, 1u, 0x409u, static_cast<std::uint32_t>(id),
                                    static_cast<std::uint32_t>(utf16.size()),
                                    static_cast<std::uint32_t>(strings.size())}) {
            PutBig(records, field, 2);
        }
        strings += utf16;
    }
    std::string name;
    PutBig(name, 0, 2);
    PutBig(name, 3, 2);
    PutBig(name, 6 + 12 * 3, 2);
    name += records + strings;
    std::string head;
    PutBig(head, 0x00010000, 4);
    PutBig(head, static_cast<std::uint32_t>(face.revision * 65536 + 0.5), 4);
    head.resize(54, '\0');
    return {name, head};
}

// A TrueType font of one face, or a collection of several.
inline std::string FaceBytes(const std::vector<FaceSpec>& faces) {
    const bool collection = faces.size() > 1;
    const std::uint32_t header = collection ? 12 + 4 * static_cast<std::uint32_t>(faces.size()) : 0;
    constexpr std::uint32_t kDirectory = 12 + 16 * 2;
    // Directories first, then every face's tables.
    std::uint32_t data = header + kDirectory * static_cast<std::uint32_t>(faces.size());
    std::string out, directories, tables;
    if (collection) {
        out = "ttcf";
        PutBig(out, 0x00010000, 4);
        PutBig(out, static_cast<std::uint32_t>(faces.size()), 4);
    }
    for (std::size_t i = 0; i < faces.size(); ++i) {
        if (collection) {
            PutBig(out, header + kDirectory * static_cast<std::uint32_t>(i), 4);
        }
        const auto [name, head] = FaceTables(faces[i]);
        PutBig(directories, 0x00010000, 4);
        PutBig(directories, 2, 2);
        directories.append(6, '\0');
        for (const auto& [tag, table] : {std::pair{"head", head}, std::pair{"name", name}}) {
            directories += tag;
            PutBig(directories, 0, 4);
            PutBig(directories, data + static_cast<std::uint32_t>(tables.size()), 4);
            PutBig(directories, static_cast<std::uint32_t>(table.size()), 4);
            tables += table;
        }
    }
    return out + directories + tables;
}

} // namespace kernova::test
