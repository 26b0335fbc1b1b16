#include "platform/win32/font_registry_key.h"

#include "archive/text_routines.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"

#include <cstdint>
#include <vector>

namespace kernova::win32 {
namespace {

// The 64-bit view: the one the system's font loader reads, whatever this build is.
constexpr REGSAM kView = KEY_WOW64_64KEY;

class OpenKey {
  public:
    ~OpenKey() {
        if (key_ != nullptr) {
            ::RegCloseKey(key_);
        }
    }
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

} // namespace

std::wstring GetFontsKey() {
    // The platform, as the version query of the narrow-character interface reports it.
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version; // 148 bytes
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL known = ::GetVersionExA(&version);
#pragma GCC diagnostic pop
    if (!known) {
        return {};
    }
    switch (version.dwPlatformId) {
    case VER_PLATFORM_WIN32_WINDOWS:
        return L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
    case VER_PLATFORM_WIN32_NT:
        return L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    default:
        return {};
    }
}

std::string ReadFontsValue(const std::wstring& key, const std::wstring& valueName) {
    OpenKey open;
    if (key.empty() || ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | kView,
                                       open.out()) != ERROR_SUCCESS) {
        return {};
    }
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(open.get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    if (type == REG_SZ) {
        std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = size;
        if (::RegQueryValueExW(open.get(), valueName.c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(text.data()), &got) != ERROR_SUCCESS ||
            type != REG_SZ) {
            return {};
        }
        return Narrow(text.data()); // up to the first NUL
    }
    if (type == REG_BINARY) {
        // Only a 16-bit number is read, however long the value is.
        std::vector<BYTE> bytes(std::max<DWORD>(size, 2), 0);
        DWORD got = static_cast<DWORD>(bytes.size());
        if (::RegQueryValueExW(open.get(), valueName.c_str(), nullptr, &type, bytes.data(), &got) !=
            ERROR_SUCCESS) {
            return {};
        }
        const auto number = static_cast<std::int16_t>(bytes[0] | (bytes[1] << 8));
        return std::to_string(number);
    }
    return {};
}

std::error_code WriteFontsValue(const std::wstring& key, const std::wstring& valueName,
                                const std::wstring& data) {
    if (key.empty()) {
        return std::make_error_code(std::errc::not_supported);
    }
    OpenKey open;
    LSTATUS status = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                                       KEY_SET_VALUE | kView, nullptr, open.out(), nullptr);
    if (status == ERROR_SUCCESS) {
        // The size counts the terminating NUL.
        status = ::RegSetValueExW(open.get(), valueName.c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(data.c_str()),
                                  static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    }
    return ErrorFromWin32(static_cast<unsigned long>(status));
}

std::vector<FontsValue> ReadAllFontsValues(const std::wstring& key) {
    std::vector<FontsValue> values;
    OpenKey open;
    if (key.empty() || ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | kView,
                                       open.out()) != ERROR_SUCCESS) {
        return values;
    }
    // Value names are at most 16383 characters; data of a font value is a path.
    std::vector<wchar_t> name(16384);
    std::vector<wchar_t> data(4096);
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
        DWORD type = 0;
        const LSTATUS status =
            ::RegEnumValueW(open.get(), index, name.data(), &nameSize, nullptr, &type,
                            reinterpret_cast<BYTE*>(data.data()), &dataSize);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status != ERROR_SUCCESS || type != REG_SZ) {
            continue; // too long for a font's file, or not a file at all
        }
        data[dataSize / sizeof(wchar_t)] = L'\0';
        values.push_back({std::wstring(name.data(), nameSize), Narrow(data.data())});
    }
    return values;
}

std::error_code DeleteFontsValue(const std::wstring& key, const std::wstring& valueName) {
    if (key.empty()) {
        return std::make_error_code(std::errc::not_supported);
    }
    OpenKey open;
    LSTATUS status =
        ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE | kView, open.out());
    if (status == ERROR_SUCCESS) {
        status = ::RegDeleteValueW(open.get(), valueName.c_str());
    }
    if (status == ERROR_FILE_NOT_FOUND) {
        return {};
    }
    return ErrorFromWin32(static_cast<unsigned long>(status));
}

std::wstring FontsValueName(const std::string& faceName, bool cff) {
    return WidenText(TrimSpaces(faceName)) + (cff ? L" (OpenType)" : L" (TrueType)");
}

} // namespace kernova::win32
