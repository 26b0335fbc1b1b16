#include "platform/win32/win32_input_file.h"

#include "platform/win32/wide_text.h"

#include <algorithm>

namespace kernova::win32 {

std::unique_ptr<Win32InputFile> Win32InputFile::Open(const std::string& path, std::error_code& ec,
                                                     Links links) {
    // Never a device (CON, COM1) or a pipe: those would block or answer with no end.
    DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN;
    if (links == Links::Refuse) {
        flags |= FILE_FLAG_OPEN_REPARSE_POINT;
    }
    UniqueHandle file(::CreateFileW(WidenPath(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, flags, nullptr));
    if (!file.valid()) {
        ec = LastError();
        return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER size{};
    if (::GetFileType(file.get()) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(file.get(), &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) ||
        (links == Links::Refuse && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) ||
        !::GetFileSizeEx(file.get(), &size)) {
        ec = std::make_error_code(std::errc::invalid_argument);
        return nullptr;
    }
    ec.clear();
    return std::unique_ptr<Win32InputFile>(new Win32InputFile(std::move(file), size.QuadPart));
}

std::error_code Win32InputFile::ReadSome(std::int64_t offset, void* buffer, std::size_t size,
                                         std::size_t& got) {
    got = 0;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD read = 0;
    if (!::ReadFile(file_.get(), buffer, wanted, &read, &at)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_HANDLE_EOF) {
            return {}; // at or past the end: nothing more
        }
        return ErrorFromWin32(error);
    }
    got = read;
    return {};
}

} // namespace kernova::win32
