#include "fonts/face_name.h"

#include "platform/font_system.h"

namespace kernova {

std::string GetFontName(FontSystem& fonts, const std::string& fontFile) {
    return fonts.FaceName(fontFile);
}

} // namespace kernova
