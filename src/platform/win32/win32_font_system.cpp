#include "platform/win32/win32_font_system.h"

#include "archive/text_routines.h"
#include "fonts/font_format.h"
#include "fonts/sfnt_directory.h"
#include "fonts/sfnt_full_name.h"
#include "platform/path.h"
#include "platform/win32/font_registry_key.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"

#include <algorithm>

namespace kernova::win32 {
namespace {

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

} // namespace

std::string Win32FontSystem::FaceName(const std::string& fontFile) {
    std::error_code ec;
    std::unique_ptr<InputFile> file = files_.Open(fontFile, ec);
    std::string name = file ? SfntFullName(*file) : std::string();
    if (name.empty()) {
        return {};
    }
    // A name table alone makes no font: the engine must load it too. Privately, so no
    // other program sees it meanwhile.
    const std::wstring path = WidenPath(fontFile);
    constexpr DWORD kPrivate = FR_PRIVATE | FR_NOT_ENUM;
    if (::AddFontResourceExW(path.c_str(), kPrivate, nullptr) == 0) {
        return {};
    }
    ::RemoveFontResourceExW(path.c_str(), kPrivate, nullptr);
    return name;
}

bool Win32FontSystem::IsFaceInstalled(const std::string& faceName) {
    const std::wstring key = GetFontsKey();
    return !ReadFontsValue(key, FontsValueName(faceName, false)).empty() ||
           !ReadFontsValue(key, FontsValueName(faceName, true)).empty();
}

// The name the system records a font file under: the face's name, or for a collection its
// faces' names joined by " & ", with the kind of outlines.
std::wstring Win32FontSystem::ValueNameOf(const std::string& installedFile,
                                          const std::string& faceName) {
    std::error_code ec;
    std::unique_ptr<InputFile> file = files_.Open(installedFile, ec);
    const FontFormat format = file ? DetectFontFormat(*file) : FontFormat::TrueType;
    std::string name = faceName;
    if (IsCollection(format)) {
        name.clear();
        const std::uint32_t faces = std::min<std::uint32_t>(SfntFaceCount(*file), 64);
        for (std::uint32_t face = 0; face < faces; ++face) {
            const std::string each = TrimSpaces(ReplaceControls(SfntName(*file, 4, face)));
            if (!each.empty()) {
                name += (name.empty() ? "" : " & ") + each;
            }
        }
    }
    return FontsValueName(name.empty() ? faceName : name, HasCffOutlines(format));
}

std::error_code Win32FontSystem::Register(const std::string& faceName,
                                          const std::string& installedFile) {
    const std::wstring path = WidenPath(installedFile);
    const std::wstring fonts =
        WidenPath(ShownFolder(folders_.GetSpecialFolder(ShellFolder::Fonts)));
    const std::size_t slash = path.find_last_of(L'\\');
    const bool inFonts =
        slash != std::wstring::npos && !fonts.empty() && SameFolder(path.substr(0, slash), fonts);
    const std::wstring data = inFonts ? path.substr(slash + 1) : path;
    if (std::error_code ec =
            WriteFontsValue(GetFontsKey(), ValueNameOf(installedFile, faceName), data)) {
        return ec;
    }
    if (::AddFontResourceW(path.c_str()) == 0) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    return {};
}

void Win32FontSystem::BroadcastChange() {
    constexpr UINT kPatience = 5000; // ms per window that answers slowly
    ::SendMessageTimeoutW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, kPatience,
                          nullptr);
}

} // namespace kernova::win32
