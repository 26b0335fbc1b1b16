#include "platform/win32/startup_info.h"

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"

#include <vector>

namespace kernova::win32 {
namespace {

std::wstring ModulePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD size =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (size == 0) {
            return {};
        }
        if (size < buffer.size()) {
            return std::wstring(buffer.data(), size);
        }
        buffer.resize(buffer.size() * 2); // cut short: a long path
    }
}

} // namespace

std::wstring CommandLineTail(const std::wstring& commandLine) {
    // The program's name ends at the closing quote when it starts with one, else at the
    // first blank, as the system's own parsing of the command line has it.
    std::size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const std::size_t close = commandLine.find(L'"', 1);
        at = close == std::wstring::npos ? commandLine.size() : close + 1;
    } else {
        at = commandLine.find_first_of(L" \t");
        at = at == std::wstring::npos ? commandLine.size() : at;
    }
    while (at < commandLine.size() && (commandLine[at] == L' ' || commandLine[at] == L'\t')) {
        ++at;
    }
    return commandLine.substr(at);
}

void LoadSystemLibrariesOnly() {
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

StartupInfo MakeStartupInfo() {
    StartupInfo info;
    info.executablePath = Narrow(ModulePath());
    const wchar_t* line = ::GetCommandLineW();
    info.commandLine = Narrow(CommandLineTail(line != nullptr ? line : L""));
    return info;
}

} // namespace kernova::win32
