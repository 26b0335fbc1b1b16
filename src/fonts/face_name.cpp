#include "fonts/face_name.h"

#include "platform/linux/font_full_name.h"

namespace kernova {

namespace {
constexpr char kPathSeparator = '/';
} // namespace

std::string GetFontName(const std::string& fontFile) {
    return ReadFontFullName(fontFile);
}

std::string& AddBackslash(std::string& path) {
    if (!path.empty() && path.back() != kPathSeparator) {
        path.push_back(kPathSeparator);
    }
    return path;
}

} // namespace kernova
