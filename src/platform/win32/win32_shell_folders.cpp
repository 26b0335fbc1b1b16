#include "platform/win32/win32_shell_folders.h"

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"

#include <shlobj.h>

namespace kernova::win32 {

std::string Win32ShellFolders::GetSpecialFolder(ShellFolder folder) {
    PIDLIST_ABSOLUTE list = nullptr;
    if (::SHGetSpecialFolderLocation(nullptr, static_cast<int>(folder) | CSIDL_FLAG_CREATE,
                                     &list) != S_OK) {
        return {};
    }
    wchar_t path[MAX_PATH + 1] = {};
    const BOOL found = ::SHGetPathFromIDListW(list, path);
    ::CoTaskMemFree(list);
    return found ? Narrow(path) : std::string();
}

} // namespace kernova::win32
