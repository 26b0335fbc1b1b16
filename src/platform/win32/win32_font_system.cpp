#include "platform/win32/win32_font_system.h"

#include "archive/text_routines.h"
#include "fonts/font_format.h"
#include "fonts/font_identity.h"
#include "fonts/sfnt_directory.h"
#include "fonts/sfnt_full_name.h"
#include "platform/path.h"
#include "platform/win32/font_registry_key.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"

#include <algorithm>

namespace kernova::win32 {
namespace {

bool SameText(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// "Inter #2" for the second font of a full name: two fonts recorded under one name
// would lose the first one's record.
std::wstring NumberedValueBase(const std::wstring& base, int number) {
    return number < 2 ? base : base + L" #" + std::to_wstring(number);
}

// True when `recorded` (a value name without its kind) records a face named `wanted`: the
// name itself, one of a collection's " & "-joined names, or a numbered one.
bool RecordsFace(const std::wstring& recorded, const std::wstring& wanted) {
    std::size_t start = 0;
    while (start <= recorded.size()) {
        std::size_t end = recorded.find(L" & ", start);
        end = end == std::wstring::npos ? recorded.size() : end;
        std::wstring part = recorded.substr(start, end - start);
        const std::size_t hash = part.rfind(L" #");
        if (hash != std::wstring::npos && hash + 2 < part.size() &&
            std::all_of(part.begin() + static_cast<std::ptrdiff_t>(hash) + 2, part.end(),
                        [](wchar_t c) { return c >= L'0' && c <= L'9'; })) {
            part.resize(hash);
        }
        if (SameText(part, wanted)) {
            return true;
        }
        start = end + 3;
    }
    return false;
}

// The value name without " (TrueType)", " (OpenType)" or another kind in brackets.
std::wstring WithoutKind(const std::wstring& valueName) {
    const std::size_t open = valueName.rfind(L" (");
    return open != std::wstring::npos && !valueName.empty() && valueName.back() == L')'
               ? valueName.substr(0, open)
               : valueName;
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

std::string Win32FontSystem::RecordedPath(const std::string& data) {
    if (data.find_first_of("\\/:") != std::string::npos) {
        return data;
    }
    return JoinPath(folders_.GetSpecialFolder(ShellFolder::Fonts), data);
}

const std::vector<FontsValue>& Win32FontSystem::Values() {
    if (!values_) {
        values_ = ReadAllFontsValues(GetFontsKey());
    }
    return *values_;
}

std::vector<std::string> Win32FontSystem::InstalledFiles(const std::string& faceName) {
    const std::wstring wanted = WidenText(TrimSpaces(faceName));
    std::vector<std::string> files;
    for (const FontsValue& value : Values()) {
        if (!value.data.empty() && RecordsFace(WithoutKind(value.name), wanted)) {
            files.push_back(RecordedPath(value.data));
        }
    }
    return files;
}

// The name the system records a font file under: the face's name, or for a collection its
// faces' names joined by " & "; and whether its outlines are CFF.
std::pair<std::wstring, bool> Win32FontSystem::ValueBaseOf(const std::string& installedFile,
                                                           const std::string& faceName) {
    std::error_code ec;
    std::unique_ptr<InputFile> file = files_.Open(installedFile, ec);
    const FontFormat format = file ? DetectFontFormat(*file) : FontFormat::TrueType;
    std::string name = faceName;
    if (IsCollection(format)) {
        name = JoinedFaceNames(ReadFaceIdentities(*file));
    }
    return {WidenText(TrimSpaces(name.empty() ? faceName : name)), HasCffOutlines(format)};
}

// True when the file recorded under a value is another font than `file`'s: a file that
// is gone or cannot be read holds no font to keep.
bool Win32FontSystem::HoldsOtherFont(const std::string& recorded, const std::string& file) {
    if (SameText(WidenPath(recorded), WidenPath(file))) {
        return false;
    }
    std::error_code ec;
    std::unique_ptr<InputFile> theirs = files_.Open(recorded, ec);
    std::unique_ptr<InputFile> ours = files_.Open(file, ec);
    if (!theirs || !ours) {
        return false;
    }
    const std::vector<FaceIdentity> their = ReadFaceIdentities(*theirs);
    const std::vector<FaceIdentity> our = ReadFaceIdentities(*ours);
    return !std::any_of(their.begin(), their.end(), [&](const FaceIdentity& face) {
        return std::any_of(our.begin(), our.end(),
                           [&](const FaceIdentity& mine) { return SameFont(face, mine); });
    });
}

std::error_code Win32FontSystem::Register(const std::string& faceName,
                                          const std::string& installedFile) {
    const std::wstring path = WidenPath(installedFile);
    const std::wstring fonts =
        WidenPath(ShownFolder(folders_.GetSpecialFolder(ShellFolder::Fonts)));
    const std::size_t slash = path.find_last_of(L'\\');
    const bool inFonts =
        slash != std::wstring::npos && !fonts.empty() && SameText(path.substr(0, slash), fonts);
    const std::wstring data = inFonts ? path.substr(slash + 1) : path;
    const std::wstring key = GetFontsKey();
    values_.reset();
    const auto [base, cff] = ValueBaseOf(installedFile, faceName);
    // Enough for any real set of fonts sharing one full name.
    constexpr int kMaxNumber = 99;
    std::wstring valueName = FontsValueName(Narrow(base), cff);
    for (int number = 2; number <= kMaxNumber; ++number) {
        const std::string recorded = ReadFontsValue(key, valueName);
        if (recorded.empty() || !HoldsOtherFont(RecordedPath(recorded), installedFile)) {
            break;
        }
        valueName = FontsValueName(Narrow(NumberedValueBase(base, number)), cff);
    }
    if (std::error_code ec = WriteFontsValue(key, valueName, data)) {
        return ec;
    }
    if (::AddFontResourceW(path.c_str()) == 0) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    return {};
}

void Win32FontSystem::Unregister(const std::string& installedFile) {
    const std::wstring key = GetFontsKey();
    values_.reset();
    const std::wstring path = WidenPath(installedFile);
    for (const FontsValue& value : ReadAllFontsValues(key)) {
        if (!value.data.empty() && SameText(WidenPath(RecordedPath(value.data)), path)) {
            DeleteFontsValue(key, value.name);
        }
    }
    ::RemoveFontResourceW(path.c_str());
}

void Win32FontSystem::BroadcastChange() {
    constexpr UINT kPatience = 5000; // ms per window that answers slowly
    ::SendMessageTimeoutW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, kPatience,
                          nullptr);
}

} // namespace kernova::win32
