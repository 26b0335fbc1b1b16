// The package archive on the fake file system: the directory pass, extraction, the
// entries written beside the installer (/E), the clean-up and the package writer.
#include "archive/archive_directory.h"
#include "archive/corrupt_package.h"
#include "archive/environment_fault.h"
#include "archive/extraction.h"
#include "fakes/fake_platform.h"
#include "fakes/package_bytes.h"
#include "platform/path.h"

#include <gtest/gtest.h>

namespace kernova::test {
namespace {

// A count of fewer than five bytes is padded as the writer pads it.
std::string Installer(const std::vector<RawEntry>& entries, const std::string& count) {
    return StubBytes(1000) +
           BuildRawArchive(entries,
                           std::string(5 - std::min<std::size_t>(5, count.size()), '\r') + count);
}

// Five entries appended a..e, so read e..a, under the count field given.
std::string Five(const std::string& count) {
    return Installer({RawFile("a", "1"), RawFile("b", "22"), RawFile("c", "333"),
                      RawFile("d", "4444"), RawFile("e", "55555")},
                     count);
}

std::string One(const std::string& nameField, const std::string& size, const char* count = "1") {
    return Installer({RawEntry{"data", nameField, size}}, count);
}

TEST(DirectoryPass, ReadsTheNamesOrRefusesNamingTheFault) {
    // The bytes of a file (none: no file); the names read, each followed by "|", or after
    // "!" the fault a refusal names ("?": the machine's fault, not the package's).
    const std::pair<std::string, std::string> layouts[] = {
        {Five("\r\r\r\r5"), "e|d|c|b|a|"},
        {Five("\r\r\r-3"), "e|"},
        {Five(std::string(4, '\0') + "5"), "e|"},
        {Five("\n\r\n\r2"), "e|d|"},
        {Five("\r\r2.5"), "e|d|"}, // rounded half to even
        {Five("\r\r3.5"), "e|d|c|b|"},
        {Five("\r\r2xy"), "e|d|"},
        {Five("\r\r1 2"), "!entry 6"}, // blanks inside the count are skipped
        // Only line breaks leave a name; duplicates are both listed.
        {Installer({RawFile("same", "1"),
                    {"z", std::string(31, '\r') + "line\nfeed", SizeField(1)},
                    RawFile("same", "2")},
                   "3"),
         "same|linefeed|same|"},
        {"", "?cannot read the installer file /setup: No such file"},
        {std::string(518, '\t'), "!shorter than"},
        {std::string(100000, '\0'), "!not a number"},
        {One(NameField("a"), SizeField(1), "32768"), "!entry count"},
        {One(NameField("a"), "0000004.00"), "!not a number"},
        {One(NameField("a"), "0000001005"), "!outside the file"},
        {Installer({RawFile("../x", "x"), RawFile("b", "b"), RawFile("c", "c")}, "3"), "!entry 3"},
        {One(NameField(".."), SizeField(1)), "!plain file name"},
        {One(NameField(std::string("a\0\x7f", 3)), SizeField(1)), "!name: \"a\\x00\\x7f\""}};
    for (const auto& [bytes, expected] : layouts) {
        FakeFileSystem files;
        bytes.empty() ? void() : files.AddFile("/setup", bytes);
        std::string read;
        try {
            for (const ArchiveEntry& entry : ReadArchiveDirectory(files, "/setup").entries) {
                read += entry.name + "|";
            }
        } catch (const kernova::CorruptPackage& corrupt) {
            read = std::string("!") + corrupt.what();
        } catch (const EnvironmentFault& fault) {
            read = std::string("?") + fault.what();
        }
        EXPECT_TRUE(expected[0] == '!' || expected[0] == '?'
                        ? read[0] == expected[0] &&
                              read.find(expected.substr(1)) != std::string::npos
                        : read == expected)
            << read;
    }
}

// A package read and extracted into the private folder.
class Extraction : public ::testing::TestWithParam<int> {
  protected:
    Names Extract(const ArchiveDirectory& directory) {
        ExtractAll(files, "/app/setup", directory, folder.path(), {});
        return files.Names(folder.path());
    }
    std::string Extracted(const std::string& name) { return files.Read(folder.path() + name); }

    FakePlatform platform;
    FakeFileSystem& files = platform.files;
    ExtractionFolder folder{files, "/tmp"};
};

TEST_F(Extraction, WritesEveryEntryTheWriterStoredByteForByte) {
    files.AddFile("/src/big", PatternBytes(200000, 9));
    files.AddFile("/src/license", std::string(65535, 'a') + "\r\nb\nc\rd"); // CR LF split
    MakeFakeInstaller(files, "/app/setup",
                      {{"big.ttf", "/src/big", "", false, false},
                       BytesEntry("empty", ""),
                       {"license.txt", "/src/license", "", false, true},
                       BytesEntry("r", "1\n2", true)});
    const ArchiveDirectory directory = ReadArchiveDirectory(files, "/app/setup");
    EXPECT_EQ(directory.entries.back().dataOffset, 300); // right after the stub
    EXPECT_EQ(files.At("/app/setup").mode, 0755u);       // an installer is a program
    EXPECT_EQ(Extract(directory), (Names{"big.ttf", "empty", "license.txt", "r"}));
    EXPECT_TRUE(Extracted("big.ttf") == files.Read("/src/big"));
    EXPECT_EQ(Extracted("license.txt"), std::string(65535, 'a') + "\r\nb\r\nc\rd");
    EXPECT_EQ(Extracted("r") + Extracted("empty"), "1\r\n2");
}

TEST_F(Extraction, EarlierAppendedDuplicateRemainsAndStaleFilesAndLinksAreReplaced) {
    files.AddFile("/app/setup", Installer({RawFile("same", "first"), RawFile("stale", "short"),
                                           RawFile("link", "font"), RawFile("same", "last")},
                                          "4"));
    files.AddFile(folder.path() + "stale", std::string(5000, 'x'));
    files.AddFile("/victim", "keep me");
    files.AddLink(folder.path() + "link", "/victim");
    EXPECT_EQ(Extract(ReadArchiveDirectory(files, "/app/setup")), (Names{"link", "same", "stale"}));
    EXPECT_EQ(Extracted("same") + Extracted("stale") + Extracted("link"), "firstshortfont");
    EXPECT_EQ(files.Read("/victim"), "keep me");
}

// Whatever fails (the disk fills, the package shrinks, reads fail, the folder is locked, a
// name leads out of it), an entry is written whole or not at all. Extraction stops at a
// failure as the machine's fault, naming the entry and the cause; /E (ExtractFonts, beside
// the installer) goes on and names each file it could not write.
TEST_P(Extraction, LeavesNoPartialFile) {
    MakeFakeInstaller(files, "/app/setup",
                      {BytesEntry("first", std::string(100000, '1')),
                       BytesEntry("second", std::string(100000, '2'))});
    ArchiveDirectory directory = ReadArchiveDirectory(files, "/app/setup");
    const std::function<void()> faults[] = {
        [&] { files.freeSpace = 150000; },
        [&] { files.AddFile("/app/setup", files.Read("/app/setup").substr(0, 150300)); },
        [&] { files.failingReads.insert("/app/setup"); },
        [&] {
            files.readOnly = {FakeFileSystem::Key(folder.path()), "/app"};
        },
        [&] { directory.entries[0].name = "../escaped"; }};
    const std::string to = " to " + ShownFolder(folder.path()) + ": ";
    const std::string io = "Input/output error";
    const std::tuple<Names, std::string, Names, Names> outcomes[] = {
        {{"second"},
         "cannot write first" + to + "No space left on device",
         {"second", "setup"},
         {"cannot write first to /app: No space left on device"}},
        {{},
         "cannot write second" + to,
         {"first", "setup"},
         {"cannot write second to /app: " + io}},
        {{},
         "cannot write second" + to + io,
         {"setup"},
         {"cannot write second to /app: " + io, "cannot write first to /app: " + io}},
        {{},
         "cannot write second" + to + "Permission denied",
         {"setup"},
         {"cannot write second to /app: Permission denied",
          "cannot write first to /app: Permission denied"}},
        {{"first"}, "", {"first", "setup"}, {}}};
    const auto& [extracted, failure, beside, unwritten] = outcomes[GetParam()];
    faults[GetParam()]();
    std::string failed;
    try {
        ExtractAll(files, "/app/setup", directory, folder.path(), {});
    } catch (const EnvironmentFault& fault) {
        failed = fault.what();
    }
    EXPECT_EQ(files.Names(folder.path()), extracted);
    EXPECT_EQ(failed.substr(0, failure.size()), failure);
    EXPECT_EQ(failed.empty(), failure.empty());
    faults[GetParam()](); // again: what the extraction used up is there again
    EXPECT_EQ(ExtractFonts(files, "/app/setup", directory, "/app/", "/app/setup"), unwritten);
    EXPECT_EQ(files.Names("/app"), beside);
    EXPECT_EQ(files.Names("/"), (Names{"app", "favorites", "fonts", "tmp"})); // none escaped
    EXPECT_EQ(files.Names("/tmp"), Names{"kernova-1"});
}

INSTANTIATE_TEST_SUITE_P(Faults, Extraction, ::testing::Range(0, 5), [](const auto& info) {
    return std::string(std::vector{"DiskFills", "PackageShrinks", "ReadsFail", "FolderLocked",
                                   "NameLeadsOut"}[info.param]);
});

// /E writes each name once, straight from the package, with the bytes extraction leaves
// under it; a link there is replaced, never followed; the installer is never written over.
TEST_F(Extraction, ExtractFontsWritesEachNameOnceAndKillFilesDeletesOnlyTheListed) {
    files.AddFile("/app/setup", Installer({RawFile("same", "first"), RawFile("a.ttf", "font"),
                                           RawFile("b.TTF", "x"), RawFile("setup", "not me"),
                                           RawFile("same", "last")},
                                          "5"));
    const std::string installer = files.Read("/app/setup");
    const ArchiveDirectory directory = ReadArchiveDirectory(files, "/app/setup");
    files.AddFolder("/app/b.TTF"); // cannot be replaced by a file
    files.AddFile("/victim", "keep me");
    files.AddLink("/app/a.ttf", "/victim");
    files.freeSpace = 100; // shows what was written: each name once
    EXPECT_EQ(ExtractFonts(files, "/app/setup", directory, "/app/", "/app/setup"),
              (Names{"setup is the name of this installer: not replaced",
                     "cannot write b.TTF to /app: Is a directory"}));
    // "first" and "font"; the "x" that found no place gave its room back.
    EXPECT_EQ(*files.freeSpace, 100 - 9);
    EXPECT_EQ(files.Read("/app/same") + files.Read("/app/a.ttf") + files.Read("/victim"),
              "firstfontkeep me");
    EXPECT_TRUE(files.Read("/app/setup") == installer);

    const Names names = {"a.ttf", "sub", "../escape"};
    for (const char* name : {"a.ttf", "a.ttf.bak"}) {
        files.AddFile(folder.path() + name, name);
    }
    files.AddFolder(folder.path() + "sub");
    files.AddFile("/tmp/escape", "outside");
    KillFiles(files, names, folder.path());
    KillFiles(files, names, folder.path()); // twice is harmless
    EXPECT_EQ(files.Names(folder.path()), (Names{"a.ttf.bak", "sub"}));
    folder.Remove();
    EXPECT_EQ(files.Names("/tmp"), Names{"escape"});
}

TEST(WritePackage, RefusesNamingTheCulpritAndLeavesNoFile) {
    // The inputs, what the refusal names, the output.
    const std::tuple<std::vector<PackageInput>, const char*, const char*> refusals[] = {
        {{}, "at least one entry", "/out/setup"},
        {{BytesEntry(std::string(41, 'n'), "")}, "nnnnnnnn", "/out/setup"},
        {{BytesEntry("..", "x")}, "\"..\"", "/out/setup"},
        {{BytesEntry("a\\b", "")}, "a\\\\b", "/out/setup"},
        {{BytesEntry("a\rb", "")}, "a\\rb", "/out/setup"},
        {{BytesEntry("a", "1"), BytesEntry("b", ""), BytesEntry("a", "2")},
         "two entries are named",
         "/out/setup"},
        {std::vector<PackageInput>(32768, BytesEntry("a", "")), "32767", "/out/setup"},
        {{{"out", "/out", "", false, false}}, "not a regular file", "/out/setup"},
        {{{"font.ttf", "/out/font.ttf", "", false, false}}, "is the input", "/out/font.ttf"},
        {{BytesEntry("a", "")}, "is the stub", "/stub"},
        {{BytesEntry("a", "")}, "cannot create", "/locked/setup"}};
    for (const auto& [inputs, culprit, output] : refusals) {
        FakeFileSystem files;
        files.AddFile("/stub", StubBytes(100));
        files.AddFile("/out/font.ttf", "precious");
        files.AddFolder("/locked");
        files.readOnly.insert("/locked");
        const FakeFileSystem::Tree before = files.tree();
        std::string refused;
        try {
            WritePackage(files, "/stub", inputs, output);
        } catch (const std::runtime_error& error) {
            refused = error.what();
        }
        EXPECT_NE(refused.find(culprit), std::string::npos) << refused;
        EXPECT_EQ(files.tree(), before);
    }
}

} // namespace
} // namespace kernova::test
