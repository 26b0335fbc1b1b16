#include "platform/win32/win32_file_system.h"

#include "platform/path.h"
#include "platform/win32/termination_cleanup.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_input_file.h"
#include "platform/win32/win32_staged_file.h"

#include <cstdio>
#include <cwctype>
#include <sddl.h>
#include <vector>

namespace kernova::win32 {
namespace {

// The file's identity: its volume and its number on it; nothing when it cannot be opened.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    // Backup semantics: folders open too.
    UniqueHandle file(::CreateFileW(WidenPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.valid() && ::GetFileInformationByHandle(file.get(), &info);
}

// "D:P(A;OICI;FA;;;<the user's SID>)": full access for the user who runs the installer,
// nothing inherited, nobody else. Empty when the user's SID cannot be read.
std::wstring OwnerOnlyDescriptor() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        return {};
    }
    UniqueHandle token(raw);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    wchar_t* sid = nullptr;
    if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) ||
        !::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
        return {};
    }
    std::wstring descriptor = L"D:P(A;OICI;FA;;;" + std::wstring(sid) + L")";
    ::LocalFree(sid);
    return descriptor;
}

// A kernel mutex named after the folder (any letter case, either separator): runs that lock
// the same folder wait for each other, whoever they run as; it is let go when the holder
// ends, however it ends.
class MutexLock : public FolderLock {
  public:
    explicit MutexLock(UniqueHandle mutex) : mutex_(std::move(mutex)) {}
    ~MutexLock() override { ::ReleaseMutex(mutex_.get()); }

  private:
    UniqueHandle mutex_;
};

// `folder` without its trailing separator.
std::wstring MutexName(const std::wstring& folder) {
    // FNV-1a of the folder's name folded to upper case, as the file system compares names.
    std::uint64_t hash = 14695981039346656037ull;
    for (wchar_t c : folder) {
        c = c == L'/' ? L'\\' : static_cast<wchar_t>(std::towupper(c));
        hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
    }
    wchar_t hex[17] = {};
    ::swprintf(hex, 17, L"%016llx", static_cast<unsigned long long>(hash));
    return std::wstring(L"kernova-installer-folder-") + hex;
}

} // namespace

std::unique_ptr<InputFile> Win32FileSystem::Open(const std::string& path, std::error_code& ec,
                                                 Links links) {
    return Win32InputFile::Open(path, ec, links);
}

std::unique_ptr<StagedFile> Win32FileSystem::Stage(const std::string& folder, unsigned /*mode*/,
                                                   std::error_code& ec) {
    return Win32StagedFile::Create(folder, ec);
}

std::unique_ptr<StagedFile> Win32FileSystem::Adopt(const std::string& /*path*/,
                                                   const std::string& /*folder*/) {
    return nullptr;
}

std::error_code Win32FileSystem::Remove(const std::string& path) {
    return ::DeleteFileW(WidenPath(path).c_str()) ? std::error_code() : LastError();
}

bool Win32FileSystem::IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(WidenPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool Win32FileSystem::SameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION first{};
    BY_HANDLE_FILE_INFORMATION second{};
    return FileIdentity(a, first) && FileIdentity(b, second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

std::string Win32FileSystem::CreatePrivateFolder(const std::string& parent, std::error_code& ec) {
    if (parent.empty()) {
        ec = std::make_error_code(std::errc::no_such_file_or_directory);
        return {};
    }
    const std::wstring descriptor = OwnerOnlyDescriptor();
    PSECURITY_DESCRIPTOR security = nullptr;
    if (descriptor.empty() || !::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                                  descriptor.c_str(), SDDL_REVISION_1, &security, nullptr)) {
        ec = LastError();
        if (!ec) {
            ec = std::make_error_code(std::errc::permission_denied);
        }
        return {};
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, security, FALSE};
    std::string base = parent;
    AddBackslash(base);
    std::string made;
    for (int attempt = 0; attempt < 100 && made.empty(); ++attempt) {
        const std::string path = base + "kernova-" + Narrow(RandomName(16));
        if (::CreateDirectoryW(WidenPath(path).c_str(), &attributes)) {
            made = path;
            ec.clear();
        } else if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            ec = LastError();
            break;
        }
    }
    ::LocalFree(security);
    if (made.empty() && !ec) {
        ec = std::make_error_code(std::errc::file_exists);
    }
    return made;
}

void Win32FileSystem::RemoveTree(const std::string& path) noexcept {
    RemoveFolderTree(WidenPath(path));
}

void Win32FileSystem::RemoveStaleStagedFiles(const std::string& folder) noexcept {
    // A staged file outlives its run only when the run was killed between the commit's
    // close and its move; one still open is not shared for deleting, so it stays. Young
    // ones may be another run's in that very moment.
    constexpr ULONGLONG kAge = 2ull * 60 * 10'000'000; // two minutes in 100 ns units
    std::wstring base = WidenPath(folder);
    if (base.empty()) {
        return;
    }
    if (base.back() != L'\\') {
        base += L'\\';
    }
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const ULONGLONG current = (ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileExW((base + kStagedFilePattern).c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const ULONGLONG written = (ULONGLONG{found.ftLastWriteTime.dwHighDateTime} << 32) |
                                  found.ftLastWriteTime.dwLowDateTime;
        if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
            current > written && current - written >= kAge) {
            ::DeleteFileW((base + found.cFileName).c_str());
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

std::unique_ptr<FolderLock> Win32FileSystem::LockFolder(const std::string& folder) {
    const std::wstring name = MutexName(WidenPath(ShownFolder(folder)));
    // Global: an administrator's run in another session takes turns too; where that name
    // space is not open to this user, the session's own.
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, (L"Global\\" + name).c_str());
    if (mutex == nullptr) {
        mutex = ::CreateMutexW(nullptr, FALSE, (L"Local\\" + name).c_str());
    }
    if (mutex == nullptr) {
        return nullptr;
    }
    UniqueHandle held(mutex);
    const DWORD waited = ::WaitForSingleObject(held.get(), INFINITE);
    // Abandoned: its last holder ended without letting go; the folder is ours now.
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        return nullptr;
    }
    return std::make_unique<MutexLock>(std::move(held));
}

} // namespace kernova::win32
