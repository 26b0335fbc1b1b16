#pragma once

#include <string>

// FreeType's library handle, without its headers.
struct FT_LibraryRec_;

namespace kernova {

// Reads the full name of the first face of font files, as fontconfig lists it: the name
// table's full name (name ID 4) from the Windows English record (US English first, then any
// other English; Unicode encodings), else from the Macintosh Roman English record; for a
// font that has neither, the full name fontconfig itself derives for the face (another
// language's record, or family and style). Returned as written, spaces included. The empty
// text for a missing, empty, truncated or damaged file, a folder, or anything FreeType
// cannot open as a font. One FreeType library serves every file read.
class FontNameReader {
  public:
    FontNameReader();
    ~FontNameReader();
    FontNameReader(const FontNameReader&) = delete;
    FontNameReader& operator=(const FontNameReader&) = delete;

    std::string FullName(const std::string& path);

  private:
    FT_LibraryRec_* library_ = nullptr;
};

} // namespace kernova
