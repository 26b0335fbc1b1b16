#pragma once

#include <fontconfig/fontconfig.h>
#include <memory>
#include <string>

namespace kernova {

// Owners of fontconfig objects, released with the routine fontconfig pairs with each.
template <auto Release> struct FcRelease {
    template <typename T> void operator()(T* object) const { Release(object); }
};

using UniqueFcConfig = std::unique_ptr<FcConfig, FcRelease<&FcConfigDestroy>>;
using UniqueFcPattern = std::unique_ptr<FcPattern, FcRelease<&FcPatternDestroy>>;
using UniqueFcObjectSet = std::unique_ptr<FcObjectSet, FcRelease<&FcObjectSetDestroy>>;
using UniqueFcFontSet = std::unique_ptr<FcFontSet, FcRelease<&FcFontSetDestroy>>;
using UniqueFcStrList = std::unique_ptr<FcStrList, FcRelease<&FcStrListDone>>;
using UniqueFcCache = std::unique_ptr<FcCache, FcRelease<&FcDirCacheUnload>>;

inline const FcChar8* FcText(const std::string& text) {
    return reinterpret_cast<const FcChar8*>(text.c_str());
}

} // namespace kernova
