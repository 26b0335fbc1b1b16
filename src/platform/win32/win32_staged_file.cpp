#include "platform/win32/win32_staged_file.h"

#include "platform/win32/termination_cleanup.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_input_file.h"

#include <algorithm>
#include <bcrypt.h>
#include <vector>

namespace kernova::win32 {
namespace {

std::error_code MarkForDeletion(HANDLE file, bool deleteOnClose) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = deleteOnClose ? TRUE : FALSE;
    if (!::SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                      sizeof disposition)) {
        return LastError();
    }
    return {};
}

std::error_code WriteAll(HANDLE file, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes, chunk, &written, nullptr)) {
            return LastError();
        }
        bytes += written;
        size -= written;
    }
    return {};
}

} // namespace

std::wstring RandomName(std::size_t letters) {
    static constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    std::vector<unsigned char> bytes(letters);
    // Without the generator the name is still fresh (CREATE_NEW), only guessable.
    (void)::BCryptGenRandom(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()),
                            BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    std::wstring name;
    for (unsigned char byte : bytes) {
        name += kLetters[byte % (sizeof kLetters / sizeof kLetters[0] - 1)];
    }
    return name;
}

std::wstring StagedFileName(const std::wstring& folder) {
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\') {
        path += L'\\';
    }
    return path + L".kernova-" + RandomName(12) + L".part";
}

std::unique_ptr<Win32StagedFile> Win32StagedFile::Create(const std::string& folder,
                                                         std::error_code& ec) {
    if (folder.empty()) {
        ec = std::make_error_code(std::errc::no_such_file_or_directory);
        return nullptr;
    }
    TerminationCleanup& cleanup = TerminationCleanup::Instance();
    auto hold = cleanup.Hold();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring path = StagedFileName(WidenPath(folder));
        // Not shared for deleting: another run's clean-up of stale staged files cannot take
        // it while it is written.
        UniqueHandle file(::CreateFileW(
            path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, nullptr));
        if (!file.valid()) {
            if (::GetLastError() == ERROR_FILE_EXISTS) {
                continue;
            }
            ec = LastError();
            return nullptr;
        }
        if ((ec = MarkForDeletion(file.get(), true))) {
            file.Close();
            ::DeleteFileW(path.c_str());
            return nullptr;
        }
        cleanup.AddStaged(path, file.get());
        ec.clear();
        return std::unique_ptr<Win32StagedFile>(new Win32StagedFile(std::move(file), path));
    }
    ec = std::make_error_code(std::errc::file_exists);
    return nullptr;
}

Win32StagedFile::Win32StagedFile(UniqueHandle file, std::wstring path)
    : file_(std::move(file)), path_(std::move(path)) {}

Win32StagedFile::~Win32StagedFile() {
    if (committed_) {
        return;
    }
    TerminationCleanup& cleanup = TerminationCleanup::Instance();
    auto hold = cleanup.Hold();
    if (file_.valid()) {
        file_.Close(); // marked: the system deletes it
    } else {
        ::DeleteFileW(path_.c_str()); // a commit that failed left it closed
    }
    cleanup.DropStaged(path_);
}

std::error_code Win32StagedFile::Write(const void* data, std::size_t size) {
    if (!file_.valid()) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    return WriteAll(file_.get(), data, size);
}

std::error_code Win32StagedFile::CopyFrom(InputFile& from, std::int64_t offset, std::int64_t length,
                                          const std::function<void()>& between) {
    if (!file_.valid()) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    constexpr std::size_t kChunk = 1 << 20;
    std::vector<char> buffer(static_cast<std::size_t>(std::min<std::int64_t>(length, kChunk)));
    while (length > 0) {
        const auto size = static_cast<std::size_t>(std::min<std::int64_t>(length, kChunk));
        if (std::error_code ec = from.ReadAt(offset, buffer.data(), size)) {
            return ec;
        }
        if (std::error_code ec = WriteAll(file_.get(), buffer.data(), size)) {
            return ec;
        }
        offset += static_cast<std::int64_t>(size);
        length -= static_cast<std::int64_t>(size);
        if (between && length > 0) {
            between();
        }
    }
    return {};
}

std::error_code Win32StagedFile::SetMode(unsigned /*mode*/) {
    return {};
}

std::error_code Win32StagedFile::Flush() {
    if (!file_.valid()) {
        return {}; // flushed before it was closed
    }
    return ::FlushFileBuffers(file_.get()) ? std::error_code() : LastError();
}

std::error_code Win32StagedFile::Commit(const std::string& target, Placement placement) {
    if (committed_) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    TerminationCleanup& cleanup = TerminationCleanup::Instance();
    auto hold = cleanup.Hold();
    if (file_.valid()) {
        // A handle marked for deletion cannot be renamed: the mark goes first, then the
        // file is closed, so that the move below names a finished file.
        if (std::error_code ec = MarkForDeletion(file_.get(), false)) {
            return ec;
        }
        file_.Close();
        cleanup.ClosedStaged(path_);
    }
    DWORD flags = MOVEFILE_WRITE_THROUGH;
    if (placement == Placement::Replace) {
        flags |= MOVEFILE_REPLACE_EXISTING;
    }
    const std::wstring name = WidenPath(target);
    if (!::MoveFileExW(path_.c_str(), name.c_str(), flags)) {
        return LastError(); // staged still, under its hidden name: another name may be tried
    }
    // The hidden attribute stays with the file through the move; the font is no secret.
    ::SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    cleanup.DropStaged(path_);
    committed_ = true;
    return {};
}

} // namespace kernova::win32
