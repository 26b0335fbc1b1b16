#include "font_check.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <stdexcept>

namespace kernova::pack {
namespace {

class FreeTypeLibrary {
  public:
    FreeTypeLibrary() {
        if (FT_Init_FreeType(&library_) != 0) {
            throw std::runtime_error("FreeType cannot be started");
        }
    }
    ~FreeTypeLibrary() { FT_Done_FreeType(library_); }
    FreeTypeLibrary(const FreeTypeLibrary&) = delete;
    FreeTypeLibrary& operator=(const FreeTypeLibrary&) = delete;
    FT_Library get() const { return library_; }

  private:
    FT_Library library_ = nullptr;
};

} // namespace

void CheckFontOpens(const std::string& path) {
    FreeTypeLibrary library;
    FT_Face face = nullptr;
    FT_Error error = FT_New_Face(library.get(), path.c_str(), 0, &face);
    if (error != 0) {
        throw std::runtime_error(path + " is not a font FreeType can open (FreeType error " +
                                 std::to_string(error) + ")");
    }
    FT_Done_Face(face);
}

} // namespace kernova::pack
