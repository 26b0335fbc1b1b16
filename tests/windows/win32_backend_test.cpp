// The Win32 backend against the prefix's own system: names and command lines as the system
// parses them, staged files, the private folder, the font registry's values and face names.
#include "platform/win32/font_registry_key.h"
#include "platform/win32/startup_info.h"
#include "platform/win32/termination_cleanup.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_font_system.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_shell_folders.h"
#include "platform/win32/win32_staged_file.h"
#include "windows/windows_world.h"

#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>

namespace kernova::wintest {
namespace {

using win32::Narrow;
using win32::WidenPath;

TEST(Win32Text, PackageNamesAndCommandLinesAreReadAsTheSystemReadsThem) {
    // A folder from the system stays UTF-8; a name from a package made on Windows is
    // Windows-1252, each component read on its own.
    EXPECT_EQ(WidenPath("C:\\Users\\Zo\xC3\xAB/caf\xE9.ttf"),
              L"C:\\Users\\Zo\u00EB\\caf\u00E9.ttf");
    EXPECT_EQ(Narrow(L"\u20AC"), "\xE2\x82\xAC");
    const std::pair<const wchar_t*, const wchar_t*> lines[] = {
        {L"\"C:\\Program Files\\Setup.exe\" /I", L"/I"},
        {L"Setup.exe  /e\t", L"/e\t"},
        {L"\"Setup.exe\"/E", L"/E"},
        {L"Setup.exe", L""},
        {L"\"C:\\a b\\Setup.exe", L""}};
    for (const auto& [line, tail] : lines) {
        EXPECT_EQ(win32::CommandLineTail(line), tail) << Narrow(line);
    }
}

// Committed under a free name only; a name that is taken stays as it was, a link under the
// name is replaced and not written through; a file never committed leaves nothing behind.
TEST(Win32Files, StagedFilesAppearWholeUnderTheirNameOrNotAtAll) {
    Scratch scratch;
    win32::Win32FileSystem files;
    WriteBytes(scratch / "taken.ttf", "old");
    std::error_code ec;
    {
        std::unique_ptr<StagedFile> dropped = files.Stage(scratch.path(), 0644, ec);
        ASSERT_TRUE(dropped) << ec.message();
        EXPECT_FALSE(dropped->Write("never named", 11));
    }
    std::unique_ptr<StagedFile> file = files.Stage(scratch.path(), 0644, ec);
    ASSERT_TRUE(file) << ec.message();
    EXPECT_FALSE(file->Write("new", 3));
    EXPECT_FALSE(file->Flush());
    EXPECT_EQ(file->Commit(scratch / "taken.ttf", Placement::KeepExisting), std::errc::file_exists);
    EXPECT_FALSE(file->Commit(scratch / "free.ttf", Placement::KeepExisting));
    EXPECT_EQ(ReadBytes(scratch / "taken.ttf") + ReadBytes(scratch / "free.ttf"), "oldnew");
    EXPECT_EQ(Names(scratch.path()), (std::vector<std::string>{"free.ttf", "taken.ttf"}));
    EXPECT_EQ(::GetFileAttributesW(WidenPath(scratch / "free.ttf").c_str()) & FILE_ATTRIBUTE_HIDDEN,
              0u);

    WriteBytes(scratch / "target", "someone else's");
    if (!::CreateSymbolicLinkW(WidenPath(scratch / "link.ttf").c_str(),
                               WidenPath(scratch / "target").c_str(), 0)) {
        GTEST_SKIP() << "no symbolic links here";
    }
    std::unique_ptr<StagedFile> over = files.Stage(scratch.path(), 0644, ec);
    ASSERT_TRUE(over);
    EXPECT_FALSE(over->Write("font", 4));
    EXPECT_FALSE(over->Commit(scratch / "link.ttf", Placement::Replace));
    EXPECT_EQ(ReadBytes(scratch / "target") + "|" + ReadBytes(scratch / "link.ttf"),
              "someone else's|font");
}

// The private folder admits its owner alone (the prefix keeps the rights it is given, though
// Wine does not enforce them), and goes with everything in it.
TEST(Win32Files, ThePrivateFolderIsTheOwnersAndIsRemovedWhole) {
    Scratch scratch;
    win32::Win32FileSystem files;
    std::error_code ec;
    const std::string folder = files.CreatePrivateFolder(scratch.path(), ec);
    ASSERT_FALSE(ec) << ec.message();
    EXPECT_TRUE(Narrow(WidenPath(folder)).starts_with(scratch / "kernova-"));
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(::GetNamedSecurityInfoW(WidenPath(folder).c_str(), SE_FILE_OBJECT,
                                      DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                                      &descriptor),
              ERROR_SUCCESS);
    wchar_t* text = nullptr;
    ASSERT_TRUE(::ConvertSecurityDescriptorToStringSecurityDescriptorW(
        descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr));
    const std::wstring sddl = text;
    ::LocalFree(text);
    ::LocalFree(descriptor);
    EXPECT_NE(sddl.find(L"FA;;;S-1-5-"), std::wstring::npos) << Narrow(sddl);
    for (const wchar_t* other : {L";WD)", L";BU)", L";AU)", L";S-1-1-0)"}) {
        EXPECT_EQ(sddl.find(other), std::wstring::npos) << Narrow(sddl);
    }
    WriteBytes(folder + "\\inside.ttf", "x");
    files.RemoveTree(folder);
    EXPECT_FALSE(files.IsFolder(folder));
    EXPECT_EQ(Names(scratch.path()), std::vector<std::string>{});
}

// A console's stop event leaves nothing of the run: the watched folder with what is in it,
// a staged file being written, one whose commit failed. (Wine delivers no console events:
// AllocConsole and GenerateConsoleCtrlEvent fail there. So the handler's clean-up is called
// here as the handler calls it, with the lock held.)
TEST(Win32Termination, AStopRemovesTheWatchedFolderAndEveryStagedFile) {
    Scratch scratch;
    win32::Win32FileSystem files;
    win32::Win32Process process;
    std::error_code ec;
    const std::string folder = files.CreatePrivateFolder(scratch.path(), ec);
    WriteBytes(folder + "\\extracted.ttf", "font");
    const std::unique_ptr<TerminationWatch> watch = process.RemoveOnTermination(folder);
    WriteBytes(scratch / "taken.ttf", "old");
    std::unique_ptr<StagedFile> writing = files.Stage(scratch.path(), 0644, ec);
    std::unique_ptr<StagedFile> refused = files.Stage(scratch.path(), 0644, ec);
    ASSERT_TRUE(writing && refused);
    EXPECT_FALSE(writing->Write("half", 4));
    EXPECT_EQ(refused->Commit(scratch / "taken.ttf", Placement::KeepExisting),
              std::errc::file_exists);
    {
        win32::TerminationCleanup& cleanup = win32::TerminationCleanup::Instance();
        auto hold = cleanup.Hold();
        cleanup.RemoveEverything();
    }
    EXPECT_EQ(Names(scratch.path()), std::vector<std::string>{"taken.ttf"});
    // The process would have ended here: the staged files' objects are never used again.
    (void)writing.release();
    (void)refused.release();
}

// What a value holds, as "already installed" reads it: a string up to its NUL, a 16-bit
// number, nothing for other types; a value written is read back.
TEST(Win32Registry, FontValuesAreReadByType) {
    const std::wstring key = L"SOFTWARE\\KernovaTests\\" + win32::RandomName(8);
    HKEY open = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &open, nullptr),
              ERROR_SUCCESS);
    const auto set = [open](const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ::RegSetValueExW(open, name, 0, type, static_cast<const BYTE*>(data), size);
    };
    const unsigned char minusOne[] = {0xFF, 0xFF, 0x07};
    const DWORD number = 7;
    set(L"Text", REG_SZ, L"a.ttf\0tail", 22);
    set(L"Empty", REG_SZ, L"", 2);
    set(L"Binary", REG_BINARY, minusOne, 3);
    set(L"Number", REG_DWORD, &number, 4);
    const std::pair<const wchar_t*, const char*> values[] = {
        {L"Text", "a.ttf"}, {L"Empty", ""}, {L"Binary", "-1"}, {L"Number", ""}, {L"None", ""}};
    for (const auto& [name, text] : values) {
        EXPECT_EQ(win32::ReadFontsValue(key, name), text) << Narrow(name);
    }
    EXPECT_FALSE(win32::WriteFontsValue(key, win32::FontsValueName("  Spaced Face "), L"x.ttf"));
    EXPECT_EQ(win32::ReadFontsValue(key, L"Spaced Face (TrueType)"), "x.ttf");
    ::RegCloseKey(open);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
    EXPECT_EQ(win32::GetFontsKey(), L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts");
}

// The name the registry records, spaces kept; nothing for what is no font to the system.
TEST(Win32Fonts, FaceNamesComeFromTheFontsOwnNameTable) {
    Scratch scratch;
    win32::Win32FileSystem files;
    win32::Win32ShellFolders folders;
    win32::Win32FontSystem fonts(files, folders);
    const std::string sans = ReadBytes(SampleFont("KernovaSampleSans-Regular.ttf"));
    WriteBytes(scratch / "cut.ttf", sans.substr(0, sans.size() / 2));
    WriteBytes(scratch / "text.ttf", "not a font at all");
    const std::pair<std::string, const char*> faces[] = {
        {SampleFont("KernovaSampleSans-Bold.ttf"), "Kernova Sample Sans Bold"},
        {SampleFont("KernovaSpaced-Regular.ttf"), "  Kernova Spaced  "},
        {scratch / "cut.ttf", ""},
        {scratch / "text.ttf", ""},
        {scratch / "missing.ttf", ""}};
    for (const auto& [file, face] : faces) {
        EXPECT_EQ(fonts.FaceName(file), face) << file;
    }
}

} // namespace
} // namespace kernova::wintest
