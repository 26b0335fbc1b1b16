#include "fonts/face_name.h"

#include "archive/text_routines.h"
#include "platform/font_system.h"

namespace kernova {

std::string GetFontName(FontSystem& fonts, const std::string& fontFile) {
    // A font's name is shown and printed: it must not carry control characters.
    return ReplaceControls(fonts.FaceName(fontFile));
}

} // namespace kernova
