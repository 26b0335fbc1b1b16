#include "platform/linux/font_full_name.h"

#include "fonts/name_record_text.h"
#include "fonts/sfnt_directory.h"
#include "platform/posix/posix_input_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ft2build.h>
#include <optional>
#include <tuple>
#include <vector>
#include FT_FREETYPE_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H

// fcfreetype.h needs fontconfig.h and FreeType before it.
#include <fontconfig/fontconfig.h>

#include <fontconfig/fcfreetype.h>

namespace kernova {
namespace {

// Face 0 of a font read through `file`, which outlives this object: FreeType reads only
// the tables it needs to open the face, never the glyphs, and nothing is mapped (unmapping
// a file costs every processor a flush of its address cache). FreeType asks for dozens of
// small pieces, mostly near each other: they are served from one window of the file, read
// a block at a time, so a small font costs one read.
class FreeTypeFace {
  public:
    FreeTypeFace(FT_Library library, InputFile& file) : file_(file) {
        stream_.size = static_cast<unsigned long>(file.Size());
        stream_.descriptor.pointer = this;
        stream_.read = &Read;
        FT_Open_Args args{};
        args.flags = FT_OPEN_STREAM;
        args.stream = &stream_;
        if (library == nullptr || FT_Open_Face(library, &args, 0, &face_) != 0) {
            face_ = nullptr;
        }
    }
    ~FreeTypeFace() {
        if (face_ != nullptr) {
            FT_Done_Face(face_);
        }
    }
    FreeTypeFace(const FreeTypeFace&) = delete;
    FreeTypeFace& operator=(const FreeTypeFace&) = delete;

    FT_Face get() const { return face_; }

  private:
    static constexpr unsigned long kWindow = 64 * 1024;

    // FreeType's read: a count of 0 is a seek (0 for success); otherwise the bytes read,
    // fewer at the end of the file, none on an error.
    static unsigned long Read(FT_Stream stream, unsigned long offset, unsigned char* buffer,
                              unsigned long count) {
        if (count == 0) {
            return offset <= stream->size ? 0 : 1;
        }
        if (offset >= stream->size) {
            return 0;
        }
        auto* self = static_cast<FreeTypeFace*>(stream->descriptor.pointer);
        const unsigned long wanted = std::min(count, stream->size - offset);
        return self->Fetch(offset, buffer, wanted) ? wanted : 0;
    }

    bool Fetch(unsigned long offset, unsigned char* buffer, unsigned long count) {
        if (count >= kWindow) {
            return !file_.ReadAt(static_cast<std::int64_t>(offset), buffer, count);
        }
        if (offset < windowStart_ || offset + count > windowStart_ + window_.size()) {
            window_.resize(std::min(kWindow, stream_.size - offset));
            if (file_.ReadAt(static_cast<std::int64_t>(offset), window_.data(), window_.size())) {
                window_.clear();
                return false;
            }
            windowStart_ = offset;
        }
        std::memcpy(buffer, window_.data() + (offset - windowStart_), count);
        return true;
    }

    InputFile& file_;
    std::vector<unsigned char> window_;
    unsigned long windowStart_ = 0;
    FT_StreamRec stream_{};
    FT_Face face_ = nullptr;
};

// Windows encodings whose names are UTF-16BE, most wanted first; -1 for any other.
int WindowsEncodingRank(FT_UShort encoding) {
    switch (encoding) {
    case TT_MS_ID_UNICODE_CS:
        return 0;
    case TT_MS_ID_SYMBOL_CS:
        return 1;
    case TT_MS_ID_UCS_4:
        return 2;
    default:
        return -1;
    }
}

bool IsEnglish(FT_UShort windowsLanguage) {
    return (windowsLanguage & 0x3FF) == 0x09; // the primary language of every 0x?09
}

std::optional<std::string> WindowsEnglishFullName(FT_Face face) {
    // (not US English, encoding rank, record index) of each candidate record.
    std::vector<std::tuple<bool, int, FT_UInt>> candidates;
    const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    for (FT_UInt index = 0; index < count; ++index) {
        FT_SfntName name;
        if (FT_Get_Sfnt_Name(face, index, &name) != 0 || name.name_id != TT_NAME_ID_FULL_NAME ||
            name.platform_id != TT_PLATFORM_MICROSOFT || !IsEnglish(name.language_id)) {
            continue;
        }
        const int rank = WindowsEncodingRank(name.encoding_id);
        if (rank >= 0) {
            candidates.emplace_back(name.language_id != TT_MS_LANGID_ENGLISH_UNITED_STATES, rank,
                                    index);
        }
    }
    std::sort(candidates.begin(), candidates.end());
    for (const auto& [notUs, rank, index] : candidates) {
        FT_SfntName name;
        if (FT_Get_Sfnt_Name(face, index, &name) == 0) {
            if (auto text = DecodeUtf16BeName(name.string, name.string_len)) {
                return text;
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> MacRomanEnglishFullName(FT_Face face) {
    const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    for (FT_UInt index = 0; index < count; ++index) {
        FT_SfntName name;
        if (FT_Get_Sfnt_Name(face, index, &name) != 0 || name.name_id != TT_NAME_ID_FULL_NAME ||
            name.platform_id != TT_PLATFORM_MACINTOSH || name.encoding_id != TT_MAC_ID_ROMAN ||
            name.language_id != TT_MAC_LANGID_ENGLISH) {
            continue;
        }
        // fontconfig reads such a record as Shift-JIS; leave it to the fallback below.
        if (LooksLikeShiftJis(name.string, name.string_len)) {
            continue;
        }
        if (auto text = DecodeMacRomanName(name.string, name.string_len)) {
            return text;
        }
    }
    return std::nullopt;
}

// The first full name fontconfig gives the face. Only for faces that FreeType found a
// family name in: otherwise fontconfig would make one up from the file's name, and a
// font's name must not change when its file is renamed.
std::optional<std::string> FontconfigFullName(FT_Face face, const std::string& path) {
    if (face->family_name == nullptr || face->family_name[0] == '\0') {
        return std::nullopt;
    }
    FcPattern* pattern =
        FcFreeTypeQueryFace(face, reinterpret_cast<const FcChar8*>(path.c_str()), 0, nullptr);
    if (pattern == nullptr) {
        return std::nullopt;
    }
    std::optional<std::string> name;
    FcChar8* text = nullptr;
    if (FcPatternGetString(pattern, FC_FULLNAME, 0, &text) == FcResultMatch && text != nullptr &&
        text[0] != '\0') {
        name = reinterpret_cast<const char*>(text);
    }
    FcPatternDestroy(pattern);
    return name;
}

} // namespace

FontNameReader::FontNameReader() {
    if (FT_Init_FreeType(&library_) != 0) {
        library_ = nullptr;
    }
}

FontNameReader::~FontNameReader() {
    if (library_ != nullptr) {
        FT_Done_FreeType(library_);
    }
}

std::string FontNameReader::FullName(const std::string& path) {
    std::error_code ec;
    std::unique_ptr<posix::PosixInputFile> file =
        path.empty() ? nullptr : posix::PosixInputFile::Open(path, ec, Links::Follow);
    if (!file || file->Size() == 0 || !SfntTablesInside(*file)) {
        return {};
    }
    FreeTypeFace face(library_, *file);
    if (face.get() == nullptr) {
        return {};
    }
    if (FT_IS_SFNT(face.get())) {
        if (auto name = WindowsEnglishFullName(face.get())) {
            return *name;
        }
        if (auto name = MacRomanEnglishFullName(face.get())) {
            return *name;
        }
    }
    return FontconfigFullName(face.get(), path).value_or(std::string());
}

} // namespace kernova
