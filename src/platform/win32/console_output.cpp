#include "platform/win32/console_output.h"

#include "platform/win32/wide_text.h"

namespace kernova::win32 {

ConsoleOutput::ConsoleOutput(bool attachToParent, Stream stream) {
    HANDLE standard =
        ::GetStdHandle(stream == Stream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (standard != nullptr && standard != INVALID_HANDLE_VALUE &&
        ::GetFileType(standard) != FILE_TYPE_UNKNOWN) {
        handle_ = standard;
    } else if (attachToParent && (::AttachConsole(ATTACH_PARENT_PROCESS) ||
                                  ::GetLastError() == ERROR_ACCESS_DENIED)) {
        // Access denied: attached already, for the other stream.
        owned_ = UniqueHandle(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        handle_ = owned_.valid() ? owned_.get() : nullptr;
    }
    DWORD mode = 0;
    console_ = handle_ != nullptr && ::GetConsoleMode(handle_, &mode);
}

void ConsoleOutput::WriteLine(const std::string& text) {
    if (handle_ == nullptr) {
        return;
    }
    // A reader that went away (a closed pipe) is no reason to stop: the write just fails.
    if (console_) {
        const std::wstring line = WidenText(text) + L"\r\n";
        DWORD written = 0;
        ::WriteConsoleW(handle_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    const std::string line = Narrow(WidenText(text)) + "\r\n";
    DWORD written = 0;
    ::WriteFile(handle_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

} // namespace kernova::win32
