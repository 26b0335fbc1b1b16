// Reading which code points a font maps from its cmap table, through the file interface,
// from well-made and damaged tables alike.
#include "fakes/fake_file_system.h"
#include "fakes/sfnt_bytes.h"
#include "fonts/sfnt_cmap.h"

#include <gtest/gtest.h>

namespace kernova::test {
namespace {

using Ranges = std::vector<std::pair<char32_t, char32_t>>;

Ranges Mapped(const std::string& bytes) {
    FakeFileSystem files;
    files.AddFile("/f.ttf", bytes);
    std::error_code ec;
    std::unique_ptr<InputFile> file = files.Open("/f.ttf", ec);
    const CodePointSet mapped = ReadMappedCodePoints(*file);
    Ranges ranges;
    for (const CodePointSet::Range& range : mapped.Ranges()) {
        ranges.emplace_back(range.first, range.last);
    }
    return ranges;
}

const std::string kLatinBmp = Format4({{0x41, 0x5A, 10}});
const std::string kEmojiFull = Format12({{0x1F600, 0x1F64F, 3}});

TEST(SfntCmap, ReadsTheBestUnicodeSubtableOfFormat4Or12) {
    const std::pair<std::string, Ranges> cases[] = {
        {FontMapping(3, 1, kLatinBmp), {{0x41, 0x5A}}},
        {FontMapping(0, 3, kLatinBmp), {{0x41, 0x5A}}},
        {FontMapping(3, 10, kEmojiFull), {{0x1F600, 0x1F64F}}},
        {FontMapping(0, 4, kEmojiFull), {{0x1F600, 0x1F64F}}},
        // A Windows symbol font's codes lie in the Private Use Area.
        {FontMapping(3, 0, Format4({{0xF020, 0xF0FF, 1}})), {{0xF020, 0xF0FF}}},
        // The full repertoire wins over the BMP, whatever the order of the records.
        {SfntBytes({{"cmap", CmapBytes({{3, 1, kLatinBmp}, {3, 10, kEmojiFull}})}}),
         {{0x1F600, 0x1F64F}}},
        {SfntBytes(
             {{"cmap", CmapBytes({{3, 0, Format4({{0xF020, 0xF021, 1}})}, {3, 1, kLatinBmp}})}}),
         {{0x41, 0x5A}}},
        // Glyphs through the glyph array; 0 there, or a delta that lands on 0, is unmapped.
        {FontMapping(3, 1, Format4({{0x30, 0x34, 0, {5, 0, 7, 8, 0}}})),
         {{0x30, 0x30}, {0x32, 0x33}}},
        {FontMapping(3, 1, Format4({{0x10, 0x12, 0xFFEF}})), {{0x10, 0x10}, {0x12, 0x12}}},
        // A group that starts at the missing glyph.
        {FontMapping(3, 10, Format12({{0x61, 0x63, 0}, {0x41, 0x42, 9}})),
         {{0x41, 0x42}, {0x62, 0x63}}},
        // Subtables the reader does not use: Macintosh, and format 6.
        {FontMapping(1, 0, Format4({{0x41, 0x5A, 1}})), {}},
        {FontMapping(3, 1, Big16(6) + Big16(10) + Big16(0) + Big16(0x41) + Big16(1) + Big16(3)),
         {}},
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(Mapped(bytes), expected) << testing::PrintToString(expected);
    }
}

TEST(SfntCmap, NeverTrustsOffsetsOrCountsInADamagedTable) {
    std::string hugeGroups = kEmojiFull;
    hugeGroups.replace(12, 4, Big32(0x10000000));
    std::string outsideArray = Format4({{0x30, 0x34, 0, {5, 6, 7, 8, 9}}});
    outsideArray.resize(outsideArray.size() - 4); // the last two glyphs cut off
    std::string farSubtable = CmapBytes({{3, 1, kLatinBmp}});
    farSubtable.replace(8, 4, Big32(0x7FFFFFF0));
    std::string longCmap = FontMapping(3, 1, kLatinBmp);
    longCmap.replace(12 + 12, 4, Big32(0x100000)); // the table's length, past the file's end
    const std::pair<std::string, Ranges> cases[] = {
        // A count far beyond the subtable: the next subtable is read instead.
        {SfntBytes({{"cmap", CmapBytes({{3, 10, hugeGroups}, {3, 1, kLatinBmp}})}}),
         {{0x41, 0x5A}}},
        {FontMapping(3, 1, outsideArray), {{0x30, 0x32}}},
        {SfntBytes({{"cmap", farSubtable}}), {}},
        {longCmap, {}},
        // Segments that go back are skipped; groups end at the last code point.
        {FontMapping(3, 1, Format4({{0x41, 0x5A, 1}, {0x20, 0xFFFE, 1}})), {{0x41, 0x5A}}},
        {FontMapping(3, 10, Format12({{0x10FFF0, 0xFFFFFFFF, 1}})), {{0x10FFF0, 0x10FFFF}}},
        {FontMapping(3, 1, kLatinBmp.substr(0, 12)), {}},
        {SfntBytes({{"name", ""}}), {}},
        {"not a font at all", {}},
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(Mapped(bytes), expected) << testing::PrintToString(expected);
    }
}

} // namespace
} // namespace kernova::test
