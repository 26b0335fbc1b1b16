#include "fonts/font_identity.h"

#include "archive/text_routines.h"
#include "fonts/sfnt_directory.h"
#include "fonts/sfnt_full_name.h"
#include "platform/file_system.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace kernova {
namespace {

// More faces than any real collection holds; a count beyond it is a damaged file.
constexpr std::uint32_t kMaxFaces = 64;

std::optional<std::uint32_t> FontRevision(InputFile& file, std::uint32_t face) {
    const std::optional<std::vector<SfntTable>> tables = ReadFaceTables(file, face);
    if (!tables) {
        return std::nullopt;
    }
    for (const SfntTable& table : *tables) {
        unsigned char head[8];
        if (table.tag == SfntTag("head") && table.length >= sizeof head &&
            !file.ReadAt(static_cast<std::int64_t>(table.offset), head, sizeof head)) {
            return ReadBig32(head + 4);
        }
    }
    return std::nullopt;
}

// "Version 1.100; ttfautohint" -> {"1", "100"}: the first dotted run of digits.
std::vector<std::string> VersionNumbers(const std::string& text) {
    std::vector<std::string> numbers;
    std::size_t at = 0;
    while (at < text.size() && !std::isdigit(static_cast<unsigned char>(text[at]))) {
        ++at;
    }
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        std::size_t end = at;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) {
            ++end;
        }
        numbers.push_back(text.substr(at, end - at));
        if (end + 1 >= text.size() || text[end] != '.') {
            break;
        }
        at = end + 1;
    }
    return numbers;
}

// Whole numbers compared by value, leading zeros aside.
int CompareWhole(std::string a, std::string b) {
    a.erase(0, std::min(a.find_first_not_of('0'), a.size()));
    b.erase(0, std::min(b.find_first_not_of('0'), b.size()));
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

// Decimal fractions: "1" is "100", "02" is less than "1".
int CompareFraction(std::string a, std::string b) {
    const std::size_t width = std::max(a.size(), b.size());
    a.resize(width, '0');
    b.resize(width, '0');
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

int CompareVersionTexts(const std::string& a, const std::string& b) {
    const std::vector<std::string> left = VersionNumbers(a), right = VersionNumbers(b);
    if (left.empty() || right.empty()) {
        return 0; // a text without a number says nothing
    }
    for (std::size_t i = 0; i < std::max(left.size(), right.size()); ++i) {
        const std::string x = i < left.size() ? left[i] : "0";
        const std::string y = i < right.size() ? right[i] : "0";
        if (int order = i == 1 ? CompareFraction(x, y) : CompareWhole(x, y)) {
            return order;
        }
    }
    return 0;
}

// A full name as the registry compares it.
std::string NameKey(const std::string& name) {
    std::string key;
    for (char c : FoldCase(name)) {
        if (c != ' ') {
            key.push_back(c);
        }
    }
    return key;
}

} // namespace

std::vector<FaceIdentity> ReadFaceIdentities(InputFile& file) {
    std::vector<FaceIdentity> faces;
    const std::uint32_t count = SfntFaceCount(file);
    if (count > kMaxFaces) {
        return faces;
    }
    for (std::uint32_t face = 0; face < count; ++face) {
        FaceIdentity identity;
        identity.fullName = TrimSpaces(ReplaceControls(SfntName(file, 4, face)));
        if (identity.fullName.empty()) {
            return {}; // a face without a name is no font the registry could list
        }
        identity.style = TrimSpaces(ReplaceControls(SfntName(file, 2, face)));
        identity.versionText = TrimSpaces(ReplaceControls(SfntName(file, 5, face)));
        identity.revision = FontRevision(file, face).value_or(0);
        faces.push_back(std::move(identity));
    }
    return faces;
}

bool SameFont(const FaceIdentity& a, const FaceIdentity& b) {
    return NameKey(a.fullName) == NameKey(b.fullName) && EqualsIgnoringCase(a.style, b.style);
}

int CompareReleases(const FaceIdentity& a, const FaceIdentity& b) {
    if (a.revision != b.revision) {
        return a.revision < b.revision ? -1 : 1;
    }
    return CompareVersionTexts(a.versionText, b.versionText);
}

std::string JoinedFaceNames(const std::vector<FaceIdentity>& faces) {
    std::string joined;
    for (const FaceIdentity& face : faces) {
        joined += (joined.empty() ? "" : " & ") + face.fullName;
    }
    return joined;
}

} // namespace kernova
