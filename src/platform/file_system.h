#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <system_error>

namespace kernova {

// A regular file open for reading. Its size is the size when it was opened.
class InputFile {
  public:
    virtual ~InputFile() = default;

    virtual std::int64_t Size() const = 0;
    // Permission bits as the file system keeps them (0644 where it keeps none).
    virtual unsigned Mode() const = 0;

    // Reads up to `size` bytes at `offset`; `got` is 0 at the end of the file.
    virtual std::error_code ReadSome(std::int64_t offset, void* buffer, std::size_t size,
                                     std::size_t& got) = 0;

    // Reads exactly `size` bytes at `offset`; a file that ends first is an error.
    std::error_code ReadAt(std::int64_t offset, void* buffer, std::size_t size) {
        auto* out = static_cast<char*>(buffer);
        while (size > 0) {
            std::size_t got = 0;
            if (std::error_code ec = ReadSome(offset, out, size, got)) {
                return ec;
            }
            if (got == 0) {
                return std::make_error_code(std::errc::io_error);
            }
            out += got;
            offset += static_cast<std::int64_t>(got);
            size -= got;
        }
        return {};
    }
};

// What a commit does when the target name is already taken.
enum class Placement {
    Replace,      // the new file takes the name; a link there is replaced, never followed
    KeepExisting, // the commit fails with file_exists and the existing file stays
};

// A new file in a folder, written under a name that nothing reads or indexes (no name at
// all where the file system allows it), that gets its real name only when Commit succeeds.
// Until then the real name is untouched; a file never committed leaves nothing behind.
class StagedFile {
  public:
    virtual ~StagedFile() = default;

    // Appends bytes at the end of what was written so far.
    virtual std::error_code Write(const void* data, std::size_t size) = 0;
    // Appends `length` bytes of `from` starting at `offset`, without a buffer the size of
    // the data; `between` (may be empty) runs now and then during a long copy. A source
    // that ends early is an error.
    virtual std::error_code CopyFrom(InputFile& from, std::int64_t offset, std::int64_t length,
                                     const std::function<void()>& between = {}) = 0;
    // Sets the permission bits exactly, whatever the process's file-creation mask.
    virtual std::error_code SetMode(unsigned mode) = 0;
    // Waits until the bytes are on the disk.
    virtual std::error_code Flush() = 0;
    // After FileSystem::FlushFileSystem succeeded: whether this file's own bytes reached the
    // disk without an error. Costs no wait of its own; by default a Flush.
    virtual std::error_code CheckFlushed() { return Flush(); }
    // Gives the file the name `target` (a full path in the same folder). A commit that
    // fails leaves the file staged: another name may be tried.
    virtual std::error_code Commit(const std::string& target, Placement placement) = 0;
};

// A folder held for one run: released when the object goes away.
class FolderLock {
  public:
    virtual ~FolderLock() = default;
};

// Whether opening a name follows a symbolic link there.
enum class Links { Follow, Refuse };

// The file operations the run needs. Paths are full paths in the platform's own form.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // A regular file for reading. Never blocks (a pipe or device under the name is refused);
    // anything but a regular file fails with invalid_argument.
    virtual std::unique_ptr<InputFile> Open(const std::string& path, std::error_code& ec,
                                            Links links = Links::Follow) = 0;

    // A new staged file in `folder`; `mode` is subject to the file-creation mask.
    virtual std::unique_ptr<StagedFile> Stage(const std::string& folder, unsigned mode,
                                              std::error_code& ec) = 0;

    // The finished file at `path`, one of this run's own, staged to be committed into
    // `folder` without copying its bytes again; nullptr when that cannot be done safely
    // (another file system, another owner, another name for it), and the caller copies.
    virtual std::unique_ptr<StagedFile> Adopt(const std::string& path,
                                              const std::string& folder) = 0;

    // Waits until everything written on the file system that holds `folder` is on the disk:
    // one wait for many files. A failure says nothing of which file it concerns; the
    // caller then flushes file by file. Unsupported (the default) is such a failure.
    virtual std::error_code FlushFileSystem(const std::string& folder) {
        (void)folder;
        return std::make_error_code(std::errc::function_not_supported);
    }

    // Deletes one file (never a folder; a link itself, not what it points at).
    virtual std::error_code Remove(const std::string& path) = 0;

    // True when `path` is a folder itself, not a link to one.
    virtual bool IsFolder(const std::string& path) = 0;

    // True when both names lead to one and the same existing file.
    virtual bool SameFile(const std::string& a, const std::string& b) = 0;

    // Creates a fresh folder with an unpredictable name inside `parent` that only this
    // user can enter; returns its full path (without a trailing separator).
    virtual std::string CreatePrivateFolder(const std::string& parent, std::error_code& ec) = 0;

    // Removes a folder and everything in it; links inside are removed, never followed.
    virtual void RemoveTree(const std::string& path) noexcept = 0;

    // Deletes the staged files that a run ended without warning (killed, a power cut) left
    // in `folder`: only this user's, only ones no running installer is writing, never any
    // other file. Called before a run first writes into a folder it shares with others.
    // A file system whose staged files always vanish by themselves has nothing to do.
    virtual void RemoveStaleStagedFiles(const std::string& folder) noexcept { (void)folder; }

    // Holds `folder` for this run among all runs that ask the same (advisory), waiting while
    // another holds it: two installers never copy into one folder at once, so the second
    // sees what the first installed. nullptr when the folder cannot be held (the run then
    // goes on without).
    virtual std::unique_ptr<FolderLock> LockFolder(const std::string& folder) {
        (void)folder;
        return nullptr;
    }
};

} // namespace kernova
