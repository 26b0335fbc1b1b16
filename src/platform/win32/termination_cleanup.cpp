#include "platform/win32/termination_cleanup.h"

#include "platform/win32/wide_text.h"

#include <algorithm>
#include <system_error>

namespace kernova::win32 {

TerminationCleanup& TerminationCleanup::Instance() {
    static TerminationCleanup cleanup;
    return cleanup;
}

void TerminationCleanup::AddStaged(const std::wstring& path, HANDLE file) {
    staged_.push_back({path, file});
}

void TerminationCleanup::ClosedStaged(const std::wstring& path) {
    for (Staged& staged : staged_) {
        if (staged.path == path) {
            staged.file = nullptr;
        }
    }
}

void TerminationCleanup::DropStaged(const std::wstring& path) {
    std::erase_if(staged_, [&path](const Staged& staged) { return staged.path == path; });
}

void TerminationCleanup::Watch(const std::wstring& folder) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (!handlerInstalled_) {
        if (!::SetConsoleCtrlHandler(&OnConsoleEvent, TRUE)) {
            throw std::system_error(LastError(), "cannot watch for the console's stop events");
        }
        handlerInstalled_ = true;
    }
    folders_.push_back(folder);
}

void TerminationCleanup::Unwatch(const std::wstring& folder) {
    std::lock_guard<std::mutex> hold(mutex_);
    const auto found = std::find(folders_.begin(), folders_.end(), folder);
    if (found != folders_.end()) {
        folders_.erase(found);
    }
}

void TerminationCleanup::RemoveEverything() noexcept {
    // Closing deletes an open one: it was marked for deletion when it was made.
    for (const Staged& staged : staged_) {
        if (staged.file != nullptr) {
            ::CloseHandle(staged.file);
        }
        ::DeleteFileW(staged.path.c_str());
    }
    staged_.clear();
    for (const std::wstring& folder : folders_) {
        RemoveFolderTree(folder);
    }
    folders_.clear();
}

void TerminationCleanup::EndOfSession() {
    mutex_.lock(); // never let go, as in the console's handler
    RemoveEverything();
    ::ExitProcess(static_cast<UINT>(ExitStatusOfConsoleEvent(CTRL_LOGOFF_EVENT)));
}

BOOL WINAPI TerminationCleanup::OnConsoleEvent(DWORD event) {
    TerminationCleanup& cleanup = Instance();
    // Never let go: the run must not create or name anything once the clean-up began.
    cleanup.mutex_.lock();
    cleanup.RemoveEverything();
    ::ExitProcess(static_cast<UINT>(ExitStatusOfConsoleEvent(event)));
}

int ExitStatusOfConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
        return 128 + 2;
    case CTRL_BREAK_EVENT:
        return 128 + 3;
    case CTRL_CLOSE_EVENT:
        return 128 + 1;
    default:
        return 128 + 15;
    }
}

void RemoveFolderTree(const std::wstring& folder) noexcept {
    const DWORD self =
        folder.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(folder.c_str());
    if (self == INVALID_FILE_ATTRIBUTES || !(self & FILE_ATTRIBUTE_DIRECTORY)) {
        return;
    }
    if (self & FILE_ATTRIBUTE_REPARSE_POINT) {
        ::RemoveDirectoryW(folder.c_str()); // a junction in its place goes, not its target
        return;
    }
    std::wstring base = folder;
    if (base.back() != L'\\') {
        base += L'\\';
    }
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileExW((base + L"*").c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, 0);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring path = base + name;
            const DWORD attributes = found.dwFileAttributes;
            if (attributes & FILE_ATTRIBUTE_READONLY) {
                ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
            }
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                ::DeleteFileW(path.c_str()); // a file link itself
            } else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                ::RemoveDirectoryW(path.c_str()); // the junction, not what it leads to
            } else {
                RemoveFolderTree(path);
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(folder.c_str());
}

} // namespace kernova::win32
