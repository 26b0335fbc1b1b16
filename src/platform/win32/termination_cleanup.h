#pragma once

#include "platform/win32/win32_api.h"

#include <mutex>
#include <string>
#include <vector>

namespace kernova::win32 {

// What must go when the console the process is attached to tells it to stop (Ctrl+C,
// Ctrl+Break, its window closed, log-off, shut-down): the watched folders and every staged
// file still open. The system calls the handler on a thread of its own while the run goes
// on, so each step that creates, names or drops a staged file holds the lock: the handler
// sees none of them half done, and once it holds the lock the run changes nothing more.
// One per process, as the console's handler has no context of its own.
class TerminationCleanup {
  public:
    static TerminationCleanup& Instance();

    // Held across a step that creates, commits or drops a staged file.
    std::unique_lock<std::mutex> Hold() { return std::unique_lock<std::mutex>(mutex_); }

    // Staged files the handler removes: it closes an open one (marked to be deleted on
    // close, so closing removes it) and deletes a closed one by its name. Call with Hold()
    // held.
    void AddStaged(const std::wstring& path, HANDLE file);
    void ClosedStaged(const std::wstring& path);
    void DropStaged(const std::wstring& path);

    // Folders the handler removes; installs the handler on first use. Throws
    // std::system_error when the handler cannot be installed.
    void Watch(const std::wstring& folder);
    void Unwatch(const std::wstring& folder);

    // The session ends (log-off, shut-down) under the wizard's window: everything goes, and
    // the process ends as after a console's log-off event.
    [[noreturn]] void EndOfSession();

    // What the handler does before the process ends: closes and deletes every staged file
    // and removes every watched folder, forgetting them. Call with Hold() held; a staged
    // file's object must not be used afterwards (the process is about to end).
    void RemoveEverything() noexcept;

  private:
    TerminationCleanup() = default;
    static BOOL WINAPI OnConsoleEvent(DWORD event);

    std::mutex mutex_;
    struct Staged {
        std::wstring path;
        HANDLE file; // nullptr once closed
    };
    std::vector<Staged> staged_;
    std::vector<std::wstring> folders_;
    bool handlerInstalled_ = false;
};

// The exit status of a run stopped by a console event: 128 + the number of the signal the
// same stop is on Linux (interrupt 2, quit 3 for Ctrl+Break, hang-up 1 for a closed
// console, terminate 15 for log-off and shut-down).
int ExitStatusOfConsoleEvent(DWORD event);

// Removes a folder and everything in it; a link or junction inside is removed itself,
// never followed. Failures are skipped.
void RemoveFolderTree(const std::wstring& folder) noexcept;

} // namespace kernova::win32
