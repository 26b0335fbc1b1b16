#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kernova::test {

// One face of a made-up sfnt font: just the names and the revision that tell fonts apart.
struct FaceSpec {
    std::string fullName;
    std::string style = "Regular";
    double revision = 1.0;
    std::string version = "Version 1.000";
};

inline void PutBig(std::string& out, std::uint32_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
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
inline std::string SfntBytes(const std::vector<FaceSpec>& faces) {
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
