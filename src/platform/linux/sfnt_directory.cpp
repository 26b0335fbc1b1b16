#include "platform/linux/sfnt_directory.h"

#include "platform/file_system.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace kernova {
namespace {

std::uint32_t Read32(const unsigned char* at) {
    return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) |
           (std::uint32_t{at[2]} << 8) | at[3];
}

std::uint16_t Read16(const unsigned char* at) {
    return static_cast<std::uint16_t>((at[0] << 8) | at[1]);
}

// The signatures of a single sfnt face: TrueType, CFF, Apple TrueType, Type 1 in sfnt.
bool IsSfntFace(const unsigned char* at) {
    return Read32(at) == 0x00010000 || std::memcmp(at, "OTTO", 4) == 0 ||
           std::memcmp(at, "true", 4) == 0 || std::memcmp(at, "typ1", 4) == 0;
}

} // namespace

bool SfntTablesInside(InputFile& file) {
    const auto size = static_cast<std::uint64_t>(file.Size());
    unsigned char head[16] = {};
    if (size < 12) {
        return size < 4 || file.ReadAt(0, head, 4) ||
               !(IsSfntFace(head) || std::memcmp(head, "ttcf", 4) == 0);
    }
    if (file.ReadAt(0, head, size < 16 ? 12 : 16)) {
        return false;
    }
    std::uint64_t face = 0;
    if (std::memcmp(head, "ttcf", 4) == 0) {
        if (size < 16 || Read32(head + 8) == 0) {
            return false;
        }
        face = Read32(head + 12);
        if (face + 12 > size || file.ReadAt(static_cast<std::int64_t>(face), head, 12) ||
            !IsSfntFace(head)) {
            return false;
        }
    } else if (!IsSfntFace(head)) {
        return true;
    }
    const std::uint64_t tables = Read16(head + 4);
    const std::uint64_t records = face + 12;
    if (records + tables * 16 > size) {
        return false;
    }
    // At most 65535 records of 16 bytes: one read of the whole directory.
    std::vector<unsigned char> directory(static_cast<std::size_t>(tables * 16));
    if (file.ReadAt(static_cast<std::int64_t>(records), directory.data(), directory.size())) {
        return false;
    }
    for (std::uint64_t i = 0; i < tables; ++i) {
        const unsigned char* record = directory.data() + i * 16;
        const std::uint64_t offset = Read32(record + 8);
        const std::uint64_t length = Read32(record + 12);
        if (offset + length > size) {
            return false;
        }
    }
    return true;
}

} // namespace kernova
