// The Windows installer as a user's script runs it, under Wine: a separate process made
// from the built stub and a package, with a temporary folder of its own; afterwards the
// prefix's fonts folder, font registry and Favorites, the installer's folder and the
// temporary folder are looked at. Each test installs bulk fonts of its own numbers.
#include "fakes/package_bytes.h"
#include "platform/win32/font_registry_key.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"
#include "windows/windows_world.h"

#include <gtest/gtest.h>

namespace kernova::wintest {
namespace {

const std::string kCorrupt = "Kernova Installer Error: This Kernova Installer is corrupt.";

// A scratch folder holding the installer (in app\) and the run's temporary folder.
struct World {
    World() {
        for (const std::string& folder : {app, temp}) {
            ::CreateDirectoryW(win32::WidenPath(folder).c_str(), nullptr);
        }
    }
    RunResult Run(const std::string& arguments) const {
        return wintest::Run(installer, arguments, temp);
    }

    Scratch scratch;
    std::string app = scratch / "app";
    std::string temp = scratch / "temp";
    std::string installer = app + "\\Setup.exe";
};

// The files in the fonts folder that belong to the bulk fonts `numbers` (numbered copies too).
std::vector<std::string> FontsOf(std::initializer_list<int> numbers) {
    std::vector<std::string> ours;
    for (const std::string& name : Names(FontsFolder())) {
        for (int number : numbers) {
            const std::string stem = BulkFontName(number).substr(0, 15);
            if (name.starts_with(stem)) {
                ours.push_back(name);
            }
        }
    }
    return ours;
}

std::string ShortcutUrl(const std::string& file) {
    wchar_t url[512] = {};
    ::GetPrivateProfileStringW(L"InternetShortcut", L"URL", L"", url, 512,
                               win32::WidenPath(file).c_str());
    return win32::Narrow(url);
}

TEST(WindowsInstaller, SilentInstallCopiesRegistersOnceAndWritesTheFavorite) {
    World world;
    MakeInstaller(world.installer, {BulkFontEntry(1), BulkFontEntry(2), BulkFontEntry(3),
                                    test::DescriptorEntry({{"Title", "Bulk One to Three"},
                                                           {"URL", "https://example.com/bulk-1"},
                                                           {"URLName", "Kernova Bulk 1 to 3"},
                                                           {"AddFavorites", "True"}})});
    const RunResult first = world.Run("/I");
    EXPECT_EQ(first.status, 0u) << first.output;
    EXPECT_EQ(first.output, "3 installed, 0 updated, 0 already installed\r\n");
    for (int number : {1, 2, 3}) {
        EXPECT_EQ(RegisteredFile(BulkFaceName(number)), BulkFontName(number));
        EXPECT_TRUE(ReadBytes(FontsFolder() + "\\" + BulkFontName(number)) ==
                    ReadBytes(BulkFontFile(number)))
            << number;
    }
    EXPECT_EQ(ShortcutUrl(FavoritesFolder() + "\\Kernova Bulk 1 to 3.url"),
              "https://example.com/bulk-1");
    EXPECT_EQ(Names(world.temp), std::vector<std::string>{}) << "the private folder is left";

    // Again: each font is already there; the run says so, changes nothing and ends with the
    // status for nothing to do.
    const std::vector<std::string> installed = FontsOf({1, 2, 3});
    const RunResult second = world.Run("/I");
    EXPECT_EQ(second.status, 6u) << second.output;
    EXPECT_NE(second.output.find("0 installed, 0 updated, 3 already installed\r\n"),
              std::string::npos)
        << second.output;
    EXPECT_NE(second.output.find("Kernova Installer: The Kernova Bulk 0002 font is already "
                                 "installed.\r\n\r\nTo install a new version, first remove the "
                                 "old version."),
              std::string::npos)
        << second.output;
    EXPECT_EQ(FontsOf({1, 2, 3}), installed);
    EXPECT_EQ(Names(world.temp), std::vector<std::string>{});

    // /U: files and records gone; then there is nothing left to do.
    const RunResult removal = world.Run("/U");
    EXPECT_EQ(removal.status, 0u) << removal.output;
    EXPECT_EQ(removal.output, "3 removed, 0 kept\r\n");
    EXPECT_EQ(FontsOf({1, 2, 3}), std::vector<std::string>{});
    for (int number : {1, 2, 3}) {
        EXPECT_EQ(RegisteredFile(BulkFaceName(number)), "") << number;
    }
    EXPECT_EQ(world.Run("/U").status, 6u);
}

// 1.000, then 1.100 of one font, with a roman and an italic of one full name: the newer
// release takes the older one's file and value; the italic gets a numbered value beside the
// roman's. /U removes them all.
TEST(WindowsInstaller, ANewerReleaseReplacesTheOlderAndSameNamedFontsKeepTheirOwnValues) {
    World world;
    const std::wstring key = win32::GetFontsKey();
    auto value = [&](const wchar_t* name) { return win32::ReadFontsValue(key, name); };
    const std::string release = FontsFolder() + "\\KernovaRelease-Regular.ttf";
    for (const char* version : {"1.000", "1.100"}) {
        SCOPED_TRACE(version);
        const std::string font = SampleFont(std::string("KernovaRelease-") + version + ".ttf");
        MakeInstaller(
            world.installer,
            {PackageInput{"KernovaRelease-Regular.ttf", font, {}},
             PackageInput{"KernovaTwin-Italic.ttf", SampleFont("KernovaTwin-Italic.ttf"), {}},
             PackageInput{"KernovaTwin-Regular.ttf", SampleFont("KernovaTwin-Regular.ttf"), {}},
             test::DescriptorEntry({{"Title", "Kernova Release"}})});
        const RunResult run = world.Run("/I");
        EXPECT_EQ(run.status, 0u) << run.output;
        EXPECT_NE(run.output.find(std::string(version) == "1.000"
                                      ? "3 installed, 0 updated, 0 already installed\r\n"
                                      : "0 installed, 1 updated, 2 already installed\r\n"),
                  std::string::npos)
            << run.output;
        EXPECT_TRUE(ReadBytes(release) == ReadBytes(font));
        EXPECT_EQ(value(L"Kernova Release (TrueType)"), "KernovaRelease-Regular.ttf");
        EXPECT_EQ(value(L"Kernova Twin (TrueType)") + "|" + value(L"Kernova Twin #2 (TrueType)"),
                  "KernovaTwin-Italic.ttf|KernovaTwin-Regular.ttf");
    }
    EXPECT_EQ(world.Run("/U").output, "3 removed, 0 kept\r\n");
    EXPECT_EQ(value(L"Kernova Release (TrueType)") + value(L"Kernova Twin (TrueType)") +
                  value(L"Kernova Twin #2 (TrueType)"),
              "");
    EXPECT_EQ(::GetFileAttributesW(win32::WidenPath(release).c_str()), INVALID_FILE_ATTRIBUTES);
}

// OpenType with CFF outlines and a collection are recorded as the system names them.
TEST(WindowsInstaller, OpenTypeFontsAndCollectionsAreRecordedUnderTheirSystemNames) {
    World world;
    const std::vector<std::pair<std::string, std::string>> fonts = {
        {"KernovaSampleCff-Regular.otf", "Kernova Sample Cff (OpenType)"},
        {"KernovaPair.ttc", "Kernova Pair Sans & Kernova Pair Serif (TrueType)"}};
    std::vector<PackageInput> entries = {test::DescriptorEntry({{"Title", "Cff and Pair"}})};
    for (const auto& [file, value] : fonts) {
        entries.insert(entries.begin(), PackageInput{file, SampleFont(file), {}});
    }
    MakeInstaller(world.installer, entries);
    const RunResult run = world.Run("/I");
    EXPECT_EQ(run.status, 0u) << run.output;
    for (const auto& [file, value] : fonts) {
        EXPECT_EQ(win32::ReadFontsValue(win32::GetFontsKey(), win32::WidenText(value)), file);
        EXPECT_TRUE(ReadBytes(FontsFolder() + "\\" + file) == ReadBytes(SampleFont(file)));
    }
}

TEST(WindowsInstaller, AnotherFontUnderTheSameFileNameStaysAndTheNewOneGetsAFreeName) {
    World world;
    const std::string taken = FontsFolder() + "\\" + BulkFontName(4);
    WriteBytes(taken, ReadBytes(BulkFontFile(5)));
    MakeInstaller(world.installer, {BulkFontEntry(4), test::DescriptorEntry({{"Title", "Four"}})});
    const RunResult run = world.Run("/I");
    EXPECT_EQ(run.status, 0u) << run.output;
    EXPECT_TRUE(ReadBytes(taken) == ReadBytes(BulkFontFile(5)));
    EXPECT_TRUE(ReadBytes(FontsFolder() + "\\KernovaBulk0004_1.ttf") == ReadBytes(BulkFontFile(4)));
    EXPECT_EQ(RegisteredFile(BulkFaceName(4)), "KernovaBulk0004_1.ttf");
}

// Every entry beside the installer; of two names Windows takes for one (letter case), the
// one appended earlier, as extraction leaves it.
TEST(WindowsInstaller, ExtractWritesEveryEntryBesideTheInstallerAndInstallsNothing) {
    World world;
    const std::vector<PackageInput> entries = {
        BulkFontEntry(6), test::BytesEntry("LEFT.png", test::PngBytes()),
        test::BytesEntry("license.txt", "Terms\r\n"),
        test::DescriptorEntry({{"Title", "Six"}, {"License", "True"}}),
        test::BytesEntry("KERNOVA.XML", "<XML>\r\n<Title>Later</Title>\r\n</XML>\r\n")};
    MakeInstaller(world.installer, entries);
    const std::string installer = ReadBytes(world.installer);
    const RunResult run = world.Run("/E");
    EXPECT_EQ(run.status, 0u) << run.output;
    EXPECT_EQ(Names(world.app),
              (std::vector<std::string>{"KernovaBulk0006.ttf", "LEFT.png", "Setup.exe",
                                        "kernova.xml", "license.txt"}));
    for (std::size_t i = 0; i + 1 < entries.size(); ++i) {
        const PackageInput& entry = entries[i];
        const std::string expected = entry.fromMemory ? entry.data : ReadBytes(entry.sourcePath);
        EXPECT_TRUE(ReadBytes(world.app + "\\" + entry.name) == expected) << entry.name;
    }
    EXPECT_TRUE(ReadBytes(world.installer) == installer) << "the installer was changed";
    EXPECT_EQ(RegisteredFile(BulkFaceName(6)), "");
    EXPECT_EQ(FontsOf({6}), std::vector<std::string>{});
    EXPECT_EQ(Names(world.temp), std::vector<std::string>{});
}

// Elevated, with the system's visual style, drawn at each monitor's DPI, and named as a
// product in its version information.
TEST(WindowsInstaller, TheProgramAsksForAdministratorRightsAndNamesItself) {
    const std::wstring program = win32::WidenPath(FromBuildTree(KERNOVA_INSTALLER_PATH));
    HMODULE image = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    HRSRC found = ::FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const std::string manifest(
        static_cast<const char*>(::LockResource(::LoadResource(image, found))),
        ::SizeofResource(image, found));
    ::FreeLibrary(image);
    for (const char* part : {"level=\"requireAdministrator\"", "Microsoft.Windows.Common-Controls",
                             "version=\"6.0.0.0\"", "PerMonitorV2"}) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
    std::string version(::GetFileVersionInfoSizeW(program.c_str(), nullptr), '\0');
    ASSERT_TRUE(::GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(version.size()),
                                      version.data()));
    wchar_t* product = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(version.data(), L"\\StringFileInfo\\040904B0\\ProductName",
                                 reinterpret_cast<void**>(&product), &length));
    EXPECT_EQ(std::wstring(product), L"Kernova Installer");
}

TEST(WindowsInstaller, UsageIsPrintedForAScript) {
    World world;
    MakeInstaller(world.installer, {BulkFontEntry(9), test::DescriptorEntry({})});
    const RunResult run = world.Run("/?");
    EXPECT_EQ(run.status, 0u);
    EXPECT_EQ(run.output, "Kernova Installer: Command line options:\r\n\r\n/E -- Extract "
                          "files\r\n/I -- Silent install\r\n/U -- Uninstall the fonts this "
                          "package installed\r\n");
    EXPECT_EQ(Names(world.temp), std::vector<std::string>{});
}

// Cut short, a count beyond any package, and entries named as a device (the console's
// output, a port by its superscript number), a stream or with a trailing dot: corrupt, told on
// standard error, nothing written anywhere.
TEST(WindowsInstaller, ADamagedPackageIsCorruptAndWritesNothing) {
    const std::string font = ReadBytes(BulkFontFile(7));
    const std::string descriptor = "<XML>\r\n<Title>Seven</Title>\r\n</XML>\r\n";
    const auto archive = [&](const std::string& fontName, const std::string& count) {
        return BuildRawArchive(
            {test::RawFile(fontName, font), test::RawFile("kernova.xml", descriptor)}, count);
    };
    const std::pair<const char*, std::string> cases[] = {
        {"cut short", archive(BulkFontName(7), "\r\r\r\r2").substr(0, font.size() + 40)},
        {"count", archive(BulkFontName(7), "99999")},
        {"device", archive("CON.ttf", "\r\r\r\r2")},
        {"stream", archive("a:b.ttf", "\r\r\r\r2")},
        {"trailing dot", archive("Seven.ttf.", "\r\r\r\r2")},
        {"console output", archive("CONOUT$.ttf", "\r\r\r\r2")},
        {"superscript port", archive("COM\xC2\xB9.ttf", "\r\r\r\r2")}};
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        World world;
        MakeRawInstaller(world.installer, bytes);
        const RunResult run = world.Run("/I");
        EXPECT_EQ(run.status, 3u) << run.output;
        EXPECT_EQ(run.output, kCorrupt + "\r\n");
        EXPECT_EQ(Names(world.app), std::vector<std::string>{"Setup.exe"});
        EXPECT_EQ(Names(world.temp), std::vector<std::string>{});
        EXPECT_EQ(FontsOf({7}), std::vector<std::string>{});
    }
}

} // namespace
} // namespace kernova::wintest
