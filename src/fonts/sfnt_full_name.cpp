#include "fonts/sfnt_full_name.h"

#include "fonts/name_record_text.h"
#include "fonts/sfnt_directory.h"
#include "platform/file_system.h"

#include <algorithm>
#include <optional>
#include <tuple>
#include <vector>

namespace kernova {
namespace {

constexpr std::uint16_t kMacintosh = 1;
constexpr std::uint16_t kWindows = 3;
constexpr std::uint16_t kUsEnglish = 0x0409;

struct NameRecord {
    std::uint16_t platform, encoding, language, nameId;
    const unsigned char* text;
    std::size_t size;
};

// Windows encodings whose names are UTF-16BE, most wanted first; -1 for any other.
int WindowsEncodingRank(std::uint16_t encoding) {
    switch (encoding) {
    case 1: // Unicode BMP
        return 0;
    case 0: // Symbol
        return 1;
    case 10: // Unicode full repertoire
        return 2;
    default:
        return -1;
    }
}

// The records of a name table whose text lies within the table; the rest are skipped.
std::vector<NameRecord> Records(const std::vector<unsigned char>& table) {
    std::vector<NameRecord> records;
    if (table.size() < 6) {
        return records;
    }
    const std::size_t count = ReadBig16(table.data() + 2);
    const std::size_t strings = ReadBig16(table.data() + 4);
    for (std::size_t i = 0; i < count && 6 + (i + 1) * 12 <= table.size(); ++i) {
        const unsigned char* at = table.data() + 6 + i * 12;
        const std::size_t size = ReadBig16(at + 8);
        const std::size_t start = strings + ReadBig16(at + 10);
        if (start + size <= table.size()) {
            records.push_back({ReadBig16(at), ReadBig16(at + 2), ReadBig16(at + 4),
                               ReadBig16(at + 6), table.data() + start, size});
        }
    }
    return records;
}

std::optional<std::string> WindowsEnglishName(const std::vector<NameRecord>& records,
                                              std::uint16_t nameId) {
    // (not US English, encoding rank, record index) of each candidate record.
    std::vector<std::tuple<bool, int, std::size_t>> candidates;
    for (std::size_t index = 0; index < records.size(); ++index) {
        const NameRecord& name = records[index];
        const int rank = WindowsEncodingRank(name.encoding);
        if (name.nameId == nameId && name.platform == kWindows && (name.language & 0x3FF) == 0x09 &&
            rank >= 0) {
            candidates.emplace_back(name.language != kUsEnglish, rank, index);
        }
    }
    std::sort(candidates.begin(), candidates.end());
    for (const auto& [notUs, rank, index] : candidates) {
        if (auto text = DecodeUtf16BeName(records[index].text, records[index].size)) {
            return text;
        }
    }
    return std::nullopt;
}

std::optional<std::string> MacRomanEnglishName(const std::vector<NameRecord>& records,
                                               std::uint16_t nameId) {
    for (const NameRecord& name : records) {
        if (name.nameId == nameId && name.platform == kMacintosh && name.encoding == 0 &&
            name.language == 0 && !LooksLikeShiftJis(name.text, name.size)) {
            if (auto text = DecodeMacRomanName(name.text, name.size)) {
                return text;
            }
        }
    }
    return std::nullopt;
}

} // namespace

std::string SfntFullName(InputFile& file) {
    return SfntName(file, 4);
}

std::string SfntName(InputFile& file, int nameId, std::uint32_t face) {
    const std::optional<std::vector<SfntTable>> tables = ReadFaceTables(file, face);
    if (!tables) {
        return {};
    }
    const auto name = std::find_if(tables->begin(), tables->end(), [](const SfntTable& table) {
        return table.tag == SfntTag("name");
    });
    // A name table is at most a few hundred KiB; anything far larger is no font's.
    constexpr std::uint64_t kMaxNameTable = 16 * 1024 * 1024;
    if (name == tables->end() || name->length > kMaxNameTable) {
        return {};
    }
    std::vector<unsigned char> table(static_cast<std::size_t>(name->length));
    if (file.ReadAt(static_cast<std::int64_t>(name->offset), table.data(), table.size())) {
        return {};
    }
    const std::vector<NameRecord> records = Records(table);
    const auto id = static_cast<std::uint16_t>(nameId);
    if (auto text = WindowsEnglishName(records, id)) {
        return *text;
    }
    return MacRomanEnglishName(records, id).value_or(std::string());
}

} // namespace kernova
