#include "support/name_table_font.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <tuple>

namespace kernova::test {
namespace {

std::uint32_t Get32(const std::string& bytes, std::size_t at) {
    if (at + 4 > bytes.size()) {
        throw std::runtime_error("font too short");
    }
    auto b = [&](std::size_t i) {
        return std::uint32_t{static_cast<unsigned char>(bytes[at + i])};
    };
    return (b(0) << 24) | (b(1) << 16) | (b(2) << 8) | b(3);
}

std::uint16_t Get16(const std::string& bytes, std::size_t at) {
    if (at + 2 > bytes.size()) {
        throw std::runtime_error("font too short");
    }
    return static_cast<std::uint16_t>((static_cast<unsigned char>(bytes[at]) << 8) |
                                      static_cast<unsigned char>(bytes[at + 1]));
}

void Put16(std::string& out, std::uint32_t value) {
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
    out.push_back(static_cast<char>(value & 0xFF));
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value >> 16);
    Put16(out, value & 0xFFFF);
}

void Set32(std::string& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[at + i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
    }
}

void PadTo4(std::string& out) {
    while (out.size() % 4 != 0) {
        out.push_back('\0');
    }
}

std::uint32_t CheckSum(std::string data) {
    PadTo4(data);
    std::uint32_t sum = 0;
    for (std::size_t at = 0; at < data.size(); at += 4) {
        sum += Get32(data, at);
    }
    return sum;
}

std::string NameTable(std::vector<NameRecord> records) {
    std::sort(records.begin(), records.end(), [](const NameRecord& a, const NameRecord& b) {
        return std::tie(a.platform, a.encoding, a.language, a.nameId) <
               std::tie(b.platform, b.encoding, b.language, b.nameId);
    });
    std::string table;
    Put16(table, 0);
    Put16(table, static_cast<std::uint32_t>(records.size()));
    Put16(table, static_cast<std::uint32_t>(6 + 12 * records.size()));
    std::string storage;
    for (const NameRecord& record : records) {
        Put16(table, record.platform);
        Put16(table, record.encoding);
        Put16(table, record.language);
        Put16(table, record.nameId);
        Put16(table, static_cast<std::uint32_t>(record.text.size()));
        Put16(table, static_cast<std::uint32_t>(storage.size()));
        storage += record.text;
    }
    return table + storage;
}

// Tag -> contents of every table of a single font.
std::map<std::string, std::string> Tables(const std::string& font) {
    std::map<std::string, std::string> tables;
    const std::uint16_t count = Get16(font, 4);
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::size_t record = 12 + 16 * std::size_t{i};
        const std::uint32_t offset = Get32(font, record + 8);
        const std::uint32_t length = Get32(font, record + 12);
        if (std::size_t{offset} + length > font.size()) {
            throw std::runtime_error("table outside the font");
        }
        tables[font.substr(record, 4)] = font.substr(offset, length);
    }
    return tables;
}

std::string BuildFont(std::uint32_t version, const std::map<std::string, std::string>& tables) {
    const auto count = static_cast<std::uint32_t>(tables.size());
    std::uint32_t power = 1;
    std::uint32_t log2 = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log2;
    }
    std::string font;
    Put32(font, version);
    Put16(font, count);
    Put16(font, power * 16);
    Put16(font, log2);
    Put16(font, count * 16 - power * 16);
    std::string data;
    std::size_t offset = 12 + 16 * tables.size();
    for (const auto& [tag, contents] : tables) {
        font += tag;
        Put32(font, CheckSum(contents));
        Put32(font, static_cast<std::uint32_t>(offset + data.size()));
        Put32(font, static_cast<std::uint32_t>(contents.size()));
        data += contents;
        PadTo4(data);
    }
    return font + data;
}

} // namespace

std::string Utf16Be(const std::string& utf8) {
    std::string out;
    for (std::size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        std::uint32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int i = 1; i <= extra; ++i) {
            c = (c << 6) | (static_cast<unsigned char>(utf8.at(at + i)) & 0x3F);
        }
        at += 1 + extra;
        if (c >= 0x10000) {
            c -= 0x10000;
            Put16(out, 0xD800 | (c >> 10));
            Put16(out, 0xDC00 | (c & 0x3FF));
        } else {
            Put16(out, c);
        }
    }
    return out;
}

NameRecord WindowsFullName(const std::string& name, std::uint16_t language) {
    return {3, 1, language, 4, Utf16Be(name)};
}

NameRecord MacFullName(const std::string& macRoman, std::uint16_t nameId) {
    return {1, 0, 0, nameId, macRoman};
}

std::string WithNameTable(const std::string& fontBytes, std::vector<NameRecord> records) {
    std::map<std::string, std::string> tables = Tables(fontBytes);
    tables["name"] = NameTable(std::move(records));
    return BuildFont(Get32(fontBytes, 0), tables);
}

std::string MakeCollection(const std::vector<std::string>& fonts) {
    std::string collection = "ttcf";
    Put32(collection, 0x00010000);
    Put32(collection, static_cast<std::uint32_t>(fonts.size()));
    const std::size_t offsets = collection.size();
    collection.append(4 * fonts.size(), '\0');
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        PadTo4(collection);
        const std::size_t base = collection.size();
        Set32(collection, offsets + 4 * i, static_cast<std::uint32_t>(base));
        std::string font = fonts[i];
        // Table offsets in a collection count from the start of the collection.
        const std::uint16_t count = Get16(font, 4);
        for (std::uint16_t t = 0; t < count; ++t) {
            const std::size_t record = 12 + 16 * std::size_t{t};
            Set32(font, record + 8, static_cast<std::uint32_t>(Get32(font, record + 8) + base));
        }
        collection += font;
    }
    return collection;
}

} // namespace kernova::test
