#include "fonts/font_format.h"

#include "fonts/sfnt_directory.h"
#include "platform/file_system.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace kernova {
namespace {

bool StartsWith(const unsigned char* bytes, std::size_t size, std::string_view prefix) {
    return size >= prefix.size() && std::memcmp(bytes, prefix.data(), prefix.size()) == 0;
}

// The outlines of a single face's signature; NotAFont for none.
FontFormat FaceFormat(const unsigned char* signature) {
    if (ReadBig32(signature) == 0x00010000 || std::memcmp(signature, "true", 4) == 0) {
        return FontFormat::TrueType;
    }
    if (std::memcmp(signature, "OTTO", 4) == 0) {
        return FontFormat::OpenType;
    }
    if (std::memcmp(signature, "typ1", 4) == 0) {
        return FontFormat::Type1;
    }
    return FontFormat::NotAFont;
}

} // namespace

FontFormat DetectFontFormat(InputFile& file) {
    unsigned char head[16] = {};
    const auto size = static_cast<std::size_t>(std::min<std::int64_t>(file.Size(), sizeof head));
    if (size < 4 || file.ReadAt(0, head, size)) {
        return FontFormat::NotAFont;
    }
    if (StartsWith(head, size, "ttcf")) {
        unsigned char signature[4] = {};
        if (size < 16 || file.ReadAt(ReadBig32(head + 12), signature, 4)) {
            return FontFormat::NotAFont;
        }
        switch (FaceFormat(signature)) {
        case FontFormat::TrueType:
            return FontFormat::TrueTypeCollection;
        case FontFormat::OpenType:
            return FontFormat::OpenTypeCollection;
        default:
            return FontFormat::NotAFont;
        }
    }
    if (const FontFormat face = FaceFormat(head); face != FontFormat::NotAFont) {
        return face;
    }
    if (StartsWith(head, size, "wOFF")) {
        return FontFormat::Woff;
    }
    if (StartsWith(head, size, "wOF2")) {
        return FontFormat::Woff2;
    }
    if ((head[0] == 0x80 && head[1] == 0x01) || StartsWith(head, size, "%!PS-AdobeFont") ||
        StartsWith(head, size, "%!FontType1")) {
        return FontFormat::Type1;
    }
    if (StartsWith(head, size,
                   "\x01"
                   "fcp") ||
        StartsWith(head, size, "STARTFONT") || StartsWith(head, size, "MZ")) {
        return FontFormat::Bitmap;
    }
    return FontFormat::NotAFont;
}

bool IsInstallable(FontFormat format) {
    return format == FontFormat::TrueType || format == FontFormat::OpenType || IsCollection(format);
}

bool IsCollection(FontFormat format) {
    return format == FontFormat::TrueTypeCollection || format == FontFormat::OpenTypeCollection;
}

bool HasCffOutlines(FontFormat format) {
    return format == FontFormat::OpenType || format == FontFormat::OpenTypeCollection;
}

std::string DescribeFontFormat(FontFormat format) {
    switch (format) {
    case FontFormat::TrueType:
        return "a TrueType font";
    case FontFormat::OpenType:
        return "an OpenType (CFF) font";
    case FontFormat::TrueTypeCollection:
        return "a TrueType collection";
    case FontFormat::OpenTypeCollection:
        return "an OpenType (CFF) collection";
    case FontFormat::Woff:
        return "a WOFF web font";
    case FontFormat::Woff2:
        return "a WOFF2 web font";
    case FontFormat::Type1:
        return "a Type 1 font";
    case FontFormat::Bitmap:
        return "a bitmap font";
    case FontFormat::NotAFont:
        break;
    }
    return "not a font";
}

} // namespace kernova
