#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace kernova {

class InputFile;

// One entry of an sfnt face's table directory.
struct SfntTable {
    std::uint32_t tag = 0; // four letters, big-endian: 'name' is 0x6E616D65
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// What the first bytes of a file say it is.
enum class SfntKind {
    NotSfnt,    // another format, or too short to tell
    Face,       // a TrueType or OpenType font (TrueType, CFF, Apple TrueType, Type 1 in sfnt)
    Collection, // a TrueType or OpenType collection ("ttcf")
};

// The table directory of the file's first face (of a collection: its first member); nothing
// when the file is not an sfnt font or collection, when its headers or directory are cut
// short, or when a listed table does not lie wholly within the file. Reads only the headers
// and the directory.
std::optional<std::vector<SfntTable>> ReadFirstFaceTables(InputFile& file);
// The same for face `face` of a collection (0 for a single font).
std::optional<std::vector<SfntTable>> ReadFaceTables(InputFile& file, std::uint32_t face);

// The bytes of the table `tag` of face `face` (0 for a single font); nothing when the face
// has no such table, when it is longer than `maxLength` (no real font's is), or when the
// file cannot be read.
std::optional<std::vector<unsigned char>> ReadFaceTable(InputFile& file, std::uint32_t face,
                                                        std::uint32_t tag, std::uint64_t maxLength);

// How many faces the file holds: a collection's count, 1 for a single sfnt font, 0 for
// anything else.
std::uint32_t SfntFaceCount(InputFile& file);

// What the file's first four bytes say it is.
SfntKind SfntKindOf(InputFile& file);

// False when the file is an sfnt font (or collection) whose first face lists a table that
// does not lie wholly within it: a truncated or damaged file. True for anything else,
// including formats that are not sfnt at all (those are left to the font library).
bool SfntTablesInside(InputFile& file);

constexpr std::uint32_t SfntTag(const char (&letters)[5]) {
    return (std::uint32_t(static_cast<unsigned char>(letters[0])) << 24) |
           (std::uint32_t(static_cast<unsigned char>(letters[1])) << 16) |
           (std::uint32_t(static_cast<unsigned char>(letters[2])) << 8) |
           std::uint32_t(static_cast<unsigned char>(letters[3]));
}

// Big-endian numbers, as every sfnt table stores them.
inline std::uint32_t ReadBig32(const unsigned char* at) {
    return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) |
           (std::uint32_t{at[2]} << 8) | at[3];
}

inline std::uint16_t ReadBig16(const unsigned char* at) {
    return static_cast<std::uint16_t>((at[0] << 8) | at[1]);
}

} // namespace kernova
