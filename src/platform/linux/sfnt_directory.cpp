#include "platform/linux/sfnt_directory.h"

#include <cstdint>
#include <cstring>

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

bool SfntTablesInside(const unsigned char* data, std::size_t size) {
    if (size < 12) {
        return size < 4 || !(IsSfntFace(data) || std::memcmp(data, "ttcf", 4) == 0);
    }
    std::uint64_t face = 0;
    if (std::memcmp(data, "ttcf", 4) == 0) {
        if (size < 16 || Read32(data + 8) == 0) {
            return false;
        }
        face = Read32(data + 12);
        if (face + 12 > size || !IsSfntFace(data + face)) {
            return false;
        }
    } else if (!IsSfntFace(data)) {
        return true;
    }
    const std::uint64_t tables = Read16(data + face + 4);
    const std::uint64_t records = face + 12;
    if (records + tables * 16 > size) {
        return false;
    }
    for (std::uint64_t i = 0; i < tables; ++i) {
        const unsigned char* record = data + records + i * 16;
        const std::uint64_t offset = Read32(record + 8);
        const std::uint64_t length = Read32(record + 12);
        if (offset + length > size) {
            return false;
        }
    }
    return true;
}

} // namespace kernova
