#include "fonts/sfnt_cmap.h"

#include "fonts/sfnt_directory.h"
#include "platform/file_system.h"

#include <algorithm>
#include <optional>
#include <span>
#include <vector>

namespace kernova {
namespace {

using Bytes = std::span<const unsigned char>;
using Range = CodePointSet::Range;

// A cmap is at most a few MiB even for the largest CJK fonts; anything far larger is no
// font's.
constexpr std::uint64_t kMaxCmapTable = 32 * 1024 * 1024;
constexpr char32_t kLastCodePoint = 0x10FFFF;

struct Subtable {
    int rank = 0; // lower is wanted more
    std::uint16_t format = 0;
    Bytes bytes; // from the subtable's start to the cmap's end
};

// How much an encoding record is wanted for the format it points at; nothing when the
// reader does not use it.
std::optional<int> Rank(std::uint16_t platform, std::uint16_t encoding, std::uint16_t format) {
    const bool unicode = platform == 0 || (platform == 3 && (encoding == 1 || encoding == 10));
    if (format == 12 && unicode) {
        return platform == 3 ? 0 : 1;
    }
    if (format == 4 && unicode) {
        return platform == 3 ? 2 : 3;
    }
    if (format == 4 && platform == 3 && encoding == 0) {
        return 4;
    }
    return std::nullopt;
}

std::vector<Subtable> Subtables(Bytes cmap) {
    std::vector<Subtable> found;
    if (cmap.size() < 4) {
        return found;
    }
    const std::size_t count = ReadBig16(cmap.data() + 2);
    for (std::size_t i = 0; i < count && 4 + (i + 1) * 8 <= cmap.size(); ++i) {
        const unsigned char* record = cmap.data() + 4 + i * 8;
        const std::uint64_t offset = ReadBig32(record + 4);
        if (offset + 2 > cmap.size()) {
            continue;
        }
        const std::uint16_t format = ReadBig16(cmap.data() + offset);
        if (auto rank = Rank(ReadBig16(record), ReadBig16(record + 2), format)) {
            found.push_back({*rank, format, cmap.subspan(static_cast<std::size_t>(offset))});
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Subtable& a, const Subtable& b) { return a.rank < b.rank; });
    return found;
}

// Format 12: groups of consecutive code points mapped to consecutive glyphs.
std::optional<std::vector<Range>> ReadFormat12(Bytes table) {
    if (table.size() < 16) {
        return std::nullopt;
    }
    const std::uint64_t groups = ReadBig32(table.data() + 12);
    if (16 + groups * 12 > table.size()) {
        return std::nullopt;
    }
    std::vector<Range> ranges;
    ranges.reserve(static_cast<std::size_t>(groups));
    for (std::uint64_t i = 0; i < groups; ++i) {
        const unsigned char* group = table.data() + 16 + i * 12;
        char32_t first = ReadBig32(group);
        const char32_t last = std::min<char32_t>(ReadBig32(group + 4), kLastCodePoint);
        if (ReadBig32(group + 8) == 0) {
            ++first; // the group's first code point maps to the missing glyph
        }
        ranges.push_back({first, last});
    }
    return ranges;
}

// Format 4: segments of the BMP, each mapped by a delta or through an array of glyphs.
std::optional<std::vector<Range>> ReadFormat4(Bytes table) {
    if (table.size() < 14) {
        return std::nullopt;
    }
    const std::size_t segments = ReadBig16(table.data() + 6) / 2;
    const std::size_t ends = 14, starts = ends + segments * 2 + 2, deltas = starts + segments * 2,
                      rangeOffsets = deltas + segments * 2;
    if (rangeOffsets + segments * 2 > table.size()) {
        return std::nullopt;
    }
    std::vector<Range> ranges;
    auto add = [&ranges](char32_t c) {
        if (!ranges.empty() && ranges.back().last + 1 == c) {
            ranges.back().last = c;
        } else {
            ranges.push_back({c, c});
        }
    };
    // Segments come in ascending order; one that goes back is skipped, so no code point is
    // looked at twice whatever the counts say.
    std::uint32_t next = 0;
    for (std::size_t i = 0; i < segments; ++i) {
        const std::uint32_t end = ReadBig16(table.data() + ends + i * 2);
        const std::uint32_t start = ReadBig16(table.data() + starts + i * 2);
        const std::uint16_t delta = ReadBig16(table.data() + deltas + i * 2);
        const std::size_t rangeOffsetAt = rangeOffsets + i * 2;
        const std::uint16_t rangeOffset = ReadBig16(table.data() + rangeOffsetAt);
        if (start < next || end < start) {
            continue;
        }
        next = end + 1;
        for (std::uint32_t c = start; c <= end; ++c) {
            std::uint16_t glyph = 0;
            if (rangeOffset == 0) {
                glyph = static_cast<std::uint16_t>(c + delta);
            } else {
                const std::size_t at = rangeOffsetAt + rangeOffset + (c - start) * 2;
                if (at + 2 > table.size()) {
                    break; // the rest of the segment lies outside the table
                }
                const std::uint16_t listed = ReadBig16(table.data() + at);
                glyph = listed == 0 ? 0 : static_cast<std::uint16_t>(listed + delta);
            }
            if (glyph != 0 && c != 0xFFFF) {
                add(c);
            }
        }
    }
    return ranges;
}

} // namespace

CodePointSet ReadMappedCodePoints(InputFile& file, std::uint32_t face) {
    const std::optional<std::vector<unsigned char>> bytes =
        ReadFaceTable(file, face, SfntTag("cmap"), kMaxCmapTable);
    if (!bytes) {
        return {};
    }
    for (const Subtable& subtable : Subtables(*bytes)) {
        auto ranges =
            subtable.format == 12 ? ReadFormat12(subtable.bytes) : ReadFormat4(subtable.bytes);
        if (ranges) {
            return CodePointSet(std::move(*ranges));
        }
    }
    return {};
}

} // namespace kernova
