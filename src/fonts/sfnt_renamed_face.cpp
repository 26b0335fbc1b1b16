#include "fonts/sfnt_renamed_face.h"

#include "fonts/sfnt_directory.h"
#include "platform/file_system.h"

#include <algorithm>
#include <vector>

namespace kernova {
namespace {

void PutBig16(std::string& out, std::uint32_t value) {
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

void PutBig32(std::string& out, std::uint32_t value) {
    PutBig16(out, value >> 16);
    PutBig16(out, value & 0xFFFF);
}

// A name table of Windows US English records (UTF-16BE): family, style, full name and
// PostScript name.
std::string NameTable(const std::string& family) {
    std::string utf16;
    for (char c : family) {
        PutBig16(utf16, static_cast<unsigned char>(c));
    }
    std::string style;
    for (char c : std::string("Regular")) {
        PutBig16(style, static_cast<unsigned char>(c));
    }
    const std::pair<std::uint16_t, const std::string*> records[] = {
        {1, &utf16}, {2, &style}, {4, &utf16}, {6, &utf16}};
    std::string table, strings;
    PutBig16(table, 0);
    PutBig16(table, std::size(records));
    PutBig16(table, 6 + 12 * std::size(records));
    for (const auto& [id, text] : records) {
        PutBig16(table, 3);      // Windows
        PutBig16(table, 1);      // Unicode BMP
        PutBig16(table, 0x0409); // US English
        PutBig16(table, id);
        PutBig16(table, static_cast<std::uint32_t>(text->size()));
        PutBig16(table, static_cast<std::uint32_t>(strings.size()));
        strings += *text;
    }
    return table + strings;
}

} // namespace

std::optional<std::string> SfntRenamedFace(InputFile& file, std::uint32_t face,
                                           const std::string& family) {
    std::optional<std::vector<SfntTable>> tables = ReadFaceTables(file, face);
    if (!tables || family.empty() || family.size() > 63) {
        return std::nullopt;
    }
    // The face's own signature (TrueType or CFF outlines).
    unsigned char signature[4] = {};
    std::uint64_t header = 0;
    if (face > 0 || SfntKindOf(file) == SfntKind::Collection) {
        unsigned char offset[4] = {};
        if (file.ReadAt(12 + std::int64_t{face} * 4, offset, 4)) {
            return std::nullopt;
        }
        header = ReadBig32(offset);
    }
    if (file.ReadAt(static_cast<std::int64_t>(header), signature, 4)) {
        return std::nullopt;
    }
    // Each of the face's tables is copied once: together no larger than the file, unless
    // the directory lies.
    std::uint64_t total = 0;
    for (const SfntTable& table : *tables) {
        total += table.length;
    }
    if (total > static_cast<std::uint64_t>(file.Size())) {
        return std::nullopt;
    }
    std::erase_if(*tables, [](const SfntTable& table) { return table.tag == SfntTag("name"); });
    std::sort(tables->begin(), tables->end(),
              [](const SfntTable& a, const SfntTable& b) { return a.tag < b.tag; });
    const std::string name = NameTable(family);
    const std::size_t count = tables->size() + 1;
    std::string out(reinterpret_cast<const char*>(signature), 4);
    PutBig16(out, static_cast<std::uint32_t>(count));
    std::uint32_t power = 1, log = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log;
    }
    PutBig16(out, power * 16);
    PutBig16(out, log);
    PutBig16(out, static_cast<std::uint32_t>(count * 16 - power * 16));
    std::string body;
    const std::size_t start = 12 + count * 16;
    auto add = [&](std::uint32_t tag, const std::string& bytes) {
        PutBig32(out, tag);
        PutBig32(out, 0); // checksums are not checked by any reader the copy is made for
        PutBig32(out, static_cast<std::uint32_t>(start + body.size()));
        PutBig32(out, static_cast<std::uint32_t>(bytes.size()));
        body += bytes;
        body.resize((body.size() + 3) / 4 * 4, '\0');
    };
    bool named = false;
    for (const SfntTable& table : *tables) {
        if (!named && table.tag > SfntTag("name")) {
            add(SfntTag("name"), name);
            named = true;
        }
        std::string bytes(static_cast<std::size_t>(table.length), '\0');
        if (file.ReadAt(static_cast<std::int64_t>(table.offset), bytes.data(), bytes.size())) {
            return std::nullopt;
        }
        add(table.tag, bytes);
    }
    if (!named) {
        add(SfntTag("name"), name);
    }
    return out + body;
}

} // namespace kernova
