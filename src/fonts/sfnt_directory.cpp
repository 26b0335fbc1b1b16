#include "fonts/sfnt_directory.h"

#include "platform/file_system.h"

#include <algorithm>
#include <cstring>

namespace kernova {
namespace {

// The signatures of a single sfnt face: TrueType, CFF, Apple TrueType, Type 1 in sfnt.
bool IsSfntFace(const unsigned char* at) {
    return ReadBig32(at) == 0x00010000 || std::memcmp(at, "OTTO", 4) == 0 ||
           std::memcmp(at, "true", 4) == 0 || std::memcmp(at, "typ1", 4) == 0;
}

} // namespace

SfntKind SfntKindOf(InputFile& file) {
    unsigned char head[4] = {};
    if (file.Size() < 4 || file.ReadAt(0, head, 4)) {
        return SfntKind::NotSfnt;
    }
    if (std::memcmp(head, "ttcf", 4) == 0) {
        return SfntKind::Collection;
    }
    return IsSfntFace(head) ? SfntKind::Face : SfntKind::NotSfnt;
}

std::uint32_t SfntFaceCount(InputFile& file) {
    switch (SfntKindOf(file)) {
    case SfntKind::Face:
        return 1;
    case SfntKind::Collection: {
        unsigned char count[4] = {};
        return file.Size() >= 16 && !file.ReadAt(8, count, 4) ? ReadBig32(count) : 0;
    }
    case SfntKind::NotSfnt:
        break;
    }
    return 0;
}

std::optional<std::vector<SfntTable>> ReadFirstFaceTables(InputFile& file) {
    return ReadFaceTables(file, 0);
}

std::optional<std::vector<SfntTable>> ReadFaceTables(InputFile& file, std::uint32_t index) {
    const auto size = static_cast<std::uint64_t>(file.Size());
    const SfntKind kind = SfntKindOf(file);
    unsigned char head[16] = {};
    if (kind == SfntKind::NotSfnt || size < 12 || (kind == SfntKind::Face && index != 0)) {
        return std::nullopt;
    }
    std::uint64_t face = 0;
    if (kind == SfntKind::Collection) {
        const std::uint64_t entry = 12 + std::uint64_t{index} * 4;
        unsigned char offset[4] = {};
        if (size < 16 || file.ReadAt(0, head, 16) || index >= ReadBig32(head + 8) ||
            entry + 4 > size || file.ReadAt(static_cast<std::int64_t>(entry), offset, 4)) {
            return std::nullopt;
        }
        face = ReadBig32(offset);
        if (face + 12 > size || file.ReadAt(static_cast<std::int64_t>(face), head, 12) ||
            !IsSfntFace(head)) {
            return std::nullopt;
        }
    } else if (file.ReadAt(0, head, 12)) {
        return std::nullopt;
    }
    const std::uint64_t count = ReadBig16(head + 4);
    const std::uint64_t records = face + 12;
    if (records + count * 16 > size) {
        return std::nullopt;
    }
    // At most 65535 records of 16 bytes: one read of the whole directory.
    std::vector<unsigned char> directory(static_cast<std::size_t>(count * 16));
    if (file.ReadAt(static_cast<std::int64_t>(records), directory.data(), directory.size())) {
        return std::nullopt;
    }
    std::vector<SfntTable> tables;
    tables.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        const unsigned char* record = directory.data() + i * 16;
        SfntTable table{ReadBig32(record), ReadBig32(record + 8), ReadBig32(record + 12)};
        if (table.offset + table.length > size) {
            return std::nullopt;
        }
        tables.push_back(table);
    }
    return tables;
}

std::optional<std::vector<unsigned char>>
ReadFaceTable(InputFile& file, std::uint32_t face, std::uint32_t tag, std::uint64_t maxLength) {
    const std::optional<std::vector<SfntTable>> tables = ReadFaceTables(file, face);
    if (!tables) {
        return std::nullopt;
    }
    const auto found = std::find_if(tables->begin(), tables->end(),
                                    [tag](const SfntTable& table) { return table.tag == tag; });
    if (found == tables->end() || found->length > maxLength) {
        return std::nullopt;
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(found->length));
    if (file.ReadAt(static_cast<std::int64_t>(found->offset), bytes.data(), bytes.size())) {
        return std::nullopt;
    }
    return bytes;
}

bool SfntTablesInside(InputFile& file) {
    return SfntKindOf(file) == SfntKind::NotSfnt || ReadFirstFaceTables(file).has_value();
}

} // namespace kernova
