#include "windows/windows_world.h"

#include "platform/win32/font_registry_key.h"
#include "platform/win32/termination_cleanup.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_shell_folders.h"
#include "platform/win32/win32_staged_file.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace kernova::wintest {
namespace {

namespace fs = std::filesystem;
using win32::Narrow;
using win32::WidenPath;

fs::path Native(const std::string& path) {
    return fs::path(WidenPath(path));
}

} // namespace

std::string FromBuildTree(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string SampleFont(const std::string& name) {
    return FromBuildTree(KERNOVA_FONT_DIR) + "\\" + name;
}

std::string BulkFontName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "KernovaBulk%04d.ttf", number);
    return name;
}

std::string BulkFaceName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "Kernova Bulk %04d", number);
    return name;
}

std::string BulkFontFile(int number) {
    return FromBuildTree(KERNOVA_BULK_FONT_DIR) + "\\" + BulkFontName(number);
}

PackageInput BulkFontEntry(int number) {
    PackageInput input;
    input.name = BulkFontName(number);
    input.sourcePath = BulkFontFile(number);
    return input;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(Native(path), std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(Native(path), std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(Native(folder), ec)) {
        names.push_back(Narrow(entry.path().filename().wstring()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

Scratch::Scratch() {
    path_ = TempFolder() + "\\test-" + Narrow(win32::RandomName(12));
    if (!::CreateDirectoryW(WidenPath(path_).c_str(), nullptr)) {
        throw std::runtime_error("cannot create " + path_);
    }
}

Scratch::~Scratch() {
    win32::RemoveFolderTree(WidenPath(path_));
}

void MakeInstaller(const std::string& output, const std::vector<PackageInput>& entries) {
    win32::Win32FileSystem files;
    WritePackage(files, FromBuildTree(KERNOVA_INSTALLER_PATH), entries, output);
}

void MakeRawInstaller(const std::string& output, const std::string& archive) {
    WriteBytes(output, ReadBytes(FromBuildTree(KERNOVA_INSTALLER_PATH)) + archive);
}

namespace {

// This process's environment with TMP and TEMP set to `temp`, as CreateProcessW takes it.
std::wstring EnvironmentWithTemp(const std::string& temp) {
    std::wstring block;
    wchar_t* strings = ::GetEnvironmentStringsW();
    for (const wchar_t* at = strings; at != nullptr && *at != L'\0'; at += std::wcslen(at) + 1) {
        const std::wstring entry = at;
        if (_wcsnicmp(at, L"TMP=", 4) != 0 && _wcsnicmp(at, L"TEMP=", 5) != 0) {
            block += entry + L'\0';
        }
    }
    ::FreeEnvironmentStringsW(strings);
    const std::wstring folder = WidenPath(temp);
    block += L"TMP=" + folder + L'\0' + L"TEMP=" + folder + L'\0';
    return block + L'\0';
}

} // namespace

RunResult Run(const std::string& program, const std::string& arguments, const std::string& temp) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        throw std::runtime_error("cannot make a pipe");
    }
    win32::UniqueHandle reader(readEnd);
    win32::UniqueHandle writer(writeEnd);
    ::SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
    win32::UniqueHandle nothing(
        ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing.get();
    startup.hStdOutput = writer.get();
    startup.hStdError = writer.get();
    std::wstring line = L"\"" + WidenPath(program) + L"\"";
    if (!arguments.empty()) {
        line += L" " + win32::WidenText(arguments);
    }
    PROCESS_INFORMATION process{};
    std::wstring environment = EnvironmentWithTemp(temp);
    if (!::CreateProcessW(WidenPath(program).c_str(), line.data(), nullptr, nullptr, TRUE,
                          CREATE_UNICODE_ENVIRONMENT, environment.data(), nullptr, &startup,
                          &process)) {
        throw std::runtime_error("cannot start " + program + ": " + win32::LastError().message());
    }
    win32::UniqueHandle child(process.hProcess);
    win32::UniqueHandle thread(process.hThread);
    writer.Close();
    // Read while it runs, and what is left once it ended: waiting for the pipe's end would
    // wait for Wine's desktop process too, which inherits the child's handles and stays.
    RunResult result;
    const auto drain = [&] {
        DWORD waiting = 0;
        char buffer[4096];
        while (::PeekNamedPipe(reader.get(), nullptr, 0, nullptr, &waiting, nullptr) &&
               waiting > 0) {
            DWORD got = 0;
            if (!::ReadFile(reader.get(), buffer, sizeof buffer, &got, nullptr) || got == 0) {
                return;
            }
            result.output.append(buffer, got);
        }
    };
    while (::WaitForSingleObject(child.get(), 20) == WAIT_TIMEOUT) {
        drain();
    }
    drain();
    DWORD status = 0;
    ::GetExitCodeProcess(child.get(), &status);
    result.status = status;
    return result;
}

std::string FontsFolder() {
    return win32::Win32ShellFolders().GetSpecialFolder(ShellFolder::Fonts);
}

std::string FavoritesFolder() {
    return win32::Win32ShellFolders().GetSpecialFolder(ShellFolder::Favorites);
}

std::string TempFolder() {
    return win32::Win32Process().GetTempFolder();
}

std::string RegisteredFile(const std::string& faceName) {
    return win32::ReadFontsValue(win32::GetFontsKey(), win32::FontsValueName(faceName));
}

} // namespace kernova::wintest
