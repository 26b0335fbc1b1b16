// The package archive on the fake file system: the directory pass, extraction, the
// extract-only copies, the clean-up and the package writer.
#include "archive/archive_directory.h"
#include "archive/corrupt_package.h"
#include "archive/extraction.h"
#include "archive/package_writer.h"
#include "fakes/fake_platform.h"
#include "fakes/package_bytes.h"

#include <gtest/gtest.h>

namespace kernova::test {
namespace {

using Names = std::vector<std::string>;

Names NamesOf(const ArchiveDirectory& directory) {
    Names names;
    for (const ArchiveEntry& entry : directory.entries) {
        names.push_back(entry.name);
    }
    return names;
}

// Five entries, appended a..e, so read e, d, c, b, a.
std::vector<RawEntry> FiveEntries() {
    std::vector<RawEntry> entries;
    for (char c = 'a'; c <= 'e'; ++c) {
        entries.push_back(RawFile(std::string(1, c) + ".ttf", PatternBytes(100 + c, c)));
    }
    return entries;
}

std::string Installer(const std::vector<RawEntry>& entries, const std::string& count,
                      std::size_t stub = 1000) {
    return StubBytes(stub) + BuildRawArchive(entries, count);
}

PackageInput FromFile(const std::string& name, const std::string& source, bool text = false) {
    PackageInput input;
    input.name = name;
    input.sourcePath = source;
    input.crlfLineEnds = text;
    return input;
}

struct CountCase {
    std::string field;
    std::int16_t entryCount;
    std::size_t read;
};

class CountFieldForm : public ::testing::TestWithParam<CountCase> {};

TEST_P(CountFieldForm, DecidesHowManyEntriesAreRead) {
    FakeFileSystem files;
    files.AddFile("/setup", Installer(FiveEntries(), GetParam().field));
    const ArchiveDirectory directory = ReadArchiveDirectory(files, "/setup");
    EXPECT_EQ(directory.EntryCount, GetParam().entryCount);
    const Names all = {"e.ttf", "d.ttf", "c.ttf", "b.ttf", "a.ttf"};
    EXPECT_EQ(NamesOf(directory), Names(all.begin(), all.begin() + GetParam().read));
}

INSTANTIATE_TEST_SUITE_P(Forms, CountFieldForm,
                         ::testing::Values(CountCase{"\r\r\r\r5", 5, 5},
                                           CountCase{"\r\r\r\r0", 0, 1},
                                           CountCase{"\r\r\r-3", -3, 1},
                                           CountCase{std::string(4, '\0') + "5", 0, 1},
                                           CountCase{"\n\r\n\r3", 3, 3}, CountCase{"00004", 4, 4},
                                           CountCase{"\r\r2xy", 2, 2}, CountCase{"\r\r2.5", 2, 2},
                                           CountCase{"\r\r3.5", 4, 4}, CountCase{"\r\r4e0", 4, 4}));

TEST(ArchiveDirectory, ListsNamesSizesAndOffsetsAsStored) {
    FakeFileSystem files;
    const std::string forty(40, 'n');
    files.AddFile("/setup", Installer({RawFile("same.ttf", "first"),
                                       RawFile("empty", ""),
                                       RawFile(forty, "x"),
                                       {"z", std::string(31, '\r') + "line\nfeed", SizeField(1)},
                                       {"twelve bytes", NameField("t"), "0000000012"},
                                       RawFile("same.ttf", "second")},
                                      CountField(6), 7));
    const ArchiveDirectory directory = ReadArchiveDirectory(files, "/setup");
    // Only line breaks are removed from names; duplicates are both listed.
    EXPECT_EQ(NamesOf(directory), (Names{"same.ttf", "t", "linefeed", forty, "empty", "same.ttf"}));
    EXPECT_EQ(directory.entries[1].size, 12);
    EXPECT_EQ(directory.entries[3].dataOffset - directory.entries[4].dataOffset, 50);
    EXPECT_EQ(directory.entries[5].dataOffset, 7);
}

struct CorruptCase {
    std::string bytes; // empty: no file at all
    const char* why;
};

class CorruptPackage : public ::testing::TestWithParam<CorruptCase> {};

// Every refusal is one corrupt-package failure naming the fault, and nothing is written.
TEST_P(CorruptPackage, FailsNamingTheFaultAndWritesNothing) {
    FakeFileSystem files;
    if (!GetParam().bytes.empty()) {
        files.AddFile("/setup", GetParam().bytes);
    }
    const FakeFileSystem::Tree before = files.tree();
    try {
        ReadArchiveDirectory(files, "/setup");
        ADD_FAILURE() << "accepted a corrupt package";
    } catch (const kernova::CorruptPackage& corrupt) {
        EXPECT_NE(std::string(corrupt.what()).find(GetParam().why), std::string::npos)
            << corrupt.what();
    }
    EXPECT_EQ(files.tree(), before);
}

std::string OneEntry(const std::string& nameField, const std::string& sizeField,
                     const std::string& count = "\r\r\r\r1") {
    return Installer({RawEntry{"data", nameField, sizeField}}, count);
}

const std::string kName = NameField("font.ttf");

INSTANTIATE_TEST_SUITE_P(
    Packages, CorruptPackage,
    ::testing::Values(
        CorruptCase{"", "cannot open"}, CorruptCase{std::string(518, '\t'), "shorter than"},
        CorruptCase{Installer({}, "\r\r\r\r1", 0), "before the start"},
        CorruptCase{std::string(100000, '\0'), "not a number"},
        CorruptCase{OneEntry(kName, SizeField(4), "32768"), "entry count"},
        CorruptCase{OneEntry(kName, SizeField(4), "\r9e99"), "entry count"},
        CorruptCase{OneEntry(kName, "000000\r004"), "not a number"},
        CorruptCase{OneEntry(kName, "0000004.00"), "not a number"},
        CorruptCase{OneEntry(kName, "-000000004"), "outside the file"},
        CorruptCase{OneEntry(kName, "0000001005"), "outside the file"},
        CorruptCase{Installer({RawFile("a.ttf", "aaaa"), RawFile("b.ttf", "bb")}, "\r\r\r\r3", 10),
                    "before the start"},
        CorruptCase{
            Installer({RawFile("../x", "x"), RawFile("b", "b"), RawFile("c", "c")}, "\r\r\r\r3"),
            "entry 3"},
        CorruptCase{OneEntry(std::string(40, '\r'), SizeField(4)), "plain file name"},
        CorruptCase{OneEntry(NameField(".."), SizeField(4)), "plain file name"},
        CorruptCase{OneEntry(NameField("/etc/passwd"), SizeField(4)), "plain file name"},
        CorruptCase{OneEntry(NameField("..\\evil.ttf"), SizeField(4)), "plain file name"},
        CorruptCase{OneEntry(NameField(std::string("a\0b", 3)), SizeField(4)), "plain file name"}));

TEST(ArchiveDirectory, FolderOrUnreadableFileIsCorrupt) {
    FakeFileSystem files;
    files.AddFolder("/folder");
    files.AddFile("/setup", Installer(FiveEntries(), "\r\r\r\r5"));
    files.failingReads.insert("/setup");
    EXPECT_THROW(ReadArchiveDirectory(files, "/folder"), kernova::CorruptPackage);
    EXPECT_THROW(ReadArchiveDirectory(files, "/setup"), kernova::CorruptPackage);
}

// A package the writer made, read and extracted into the private folder.
class Extraction : public ::testing::Test {
  protected:
    ArchiveDirectory Package(const std::vector<PackageInput>& entries) {
        MakeFakeInstaller(files, "/app/setup", entries);
        return ReadArchiveDirectory(files, "/app/setup");
    }
    Names Extract(const ArchiveDirectory& directory) {
        ExtractAll(files, "/app/setup", directory, folder.path(), [this] { ++pumps; });
        return files.Names(folder.path());
    }
    std::string Extracted(const std::string& name) { return files.Read(folder.path() + name); }

    FakePlatform platform;
    FakeFileSystem& files = platform.files;
    ExtractionFolder folder{files, "/tmp"};
    int pumps = 0;
};

TEST_F(Extraction, WritesEveryEntryTheWriterStoredByteForByte) {
    const std::string big = PatternBytes(200000, 9);
    const std::string text = std::string(65535, 'a') + "\r\nb\nc\rd\n"; // CR LF across pieces
    files.AddFile("/src/big.ttf", big);
    files.AddFile("/src/license", text);
    PackageInput readme = BytesEntry("readme.txt", "one\ntwo\r\n\n");
    readme.crlfLineEnds = true;
    const ArchiveDirectory directory = Package(
        {FromFile("big.ttf", "/src/big.ttf"), BytesEntry("empty", ""),
         FromFile("license.txt", "/src/license", true), readme, BytesEntry("kernova.xml", "x")});
    EXPECT_EQ(directory.entries.back().dataOffset, 300); // right after the stub
    EXPECT_EQ(files.At("/app/setup").mode, 0755u);       // an installer is a program
    EXPECT_EQ(Extract(directory),
              (Names{"big.ttf", "empty", "kernova.xml", "license.txt", "readme.txt"}));
    EXPECT_TRUE(Extracted("big.ttf") == big);
    EXPECT_EQ(Extracted("empty"), "");
    EXPECT_EQ(Extracted("license.txt"), std::string(65535, 'a') + "\r\nb\r\nc\rd\r\n");
    EXPECT_EQ(Extracted("readme.txt"), "one\r\ntwo\r\n\r\n");
    EXPECT_GE(pumps, 5 * 7); // the notice stays painted
}

TEST_F(Extraction, EarlierAppendedDuplicateRemainsAndStaleFilesAndLinksAreReplaced) {
    // The writer refuses duplicates: a package made otherwise.
    files.AddFile(
        "/app/setup",
        Installer({RawFile("same.ttf", "appended first"), RawFile("stale.ttf", "short"),
                   RawFile("link.ttf", "font data"), RawFile("same.ttf", "appended last")},
                  CountField(4)));
    const ArchiveDirectory directory = ReadArchiveDirectory(files, "/app/setup");
    files.AddFile(folder.path() + "stale.ttf", std::string(5000, 'x'));
    files.AddFile("/victim", "keep me");
    files.AddLink(folder.path() + "link.ttf", "/victim");
    EXPECT_EQ(Extract(directory), (Names{"link.ttf", "same.ttf", "stale.ttf"}));
    EXPECT_EQ(Extracted("same.ttf"), "appended first");
    EXPECT_EQ(Extracted("stale.ttf"), "short");
    EXPECT_EQ(files.At(folder.path() + "link.ttf").kind, FakeFileSystem::Node::Kind::File);
    EXPECT_EQ(Extracted("link.ttf"), "font data");
    EXPECT_EQ(files.Read("/victim"), "keep me");
}

// Whatever fails, an entry is written whole or not at all.
struct ExtractionFault {
    const char* name;
    void (*apply)(FakeFileSystem& files, const std::string& folder, ArchiveDirectory& directory);
    Names written;
};

class ExtractionFaults : public Extraction,
                         public ::testing::WithParamInterface<ExtractionFault> {};

TEST_P(ExtractionFaults, LeaveNoPartialFile) {
    ArchiveDirectory directory = Package({BytesEntry("first.ttf", PatternBytes(100000, 1)),
                                          BytesEntry("second.ttf", PatternBytes(100000, 2))});
    GetParam().apply(files, folder.path(), directory);
    EXPECT_EQ(Extract(directory), GetParam().written);
    EXPECT_FALSE(files.Exists("/tmp/escaped"));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ExtractionFaults,
    ::testing::Values(
        ExtractionFault{"DiskFull",
                        [](FakeFileSystem& files, const std::string&, ArchiveDirectory&) {
                            files.freeSpace = 150000;
                        },
                        {"second.ttf"}},
        ExtractionFault{"PackageShrank",
                        [](FakeFileSystem& files, const std::string&, ArchiveDirectory&) {
                            files.AddFile("/app/setup", files.Read("/app/setup").substr(0, 150300));
                        },
                        {"first.ttf"}},
        ExtractionFault{"ReadsFail",
                        [](FakeFileSystem& files, const std::string&, ArchiveDirectory&) {
                            files.failingReads.insert("/app/setup");
                        },
                        {}},
        ExtractionFault{"FolderReadOnly",
                        [](FakeFileSystem& files, const std::string& folder, ArchiveDirectory&) {
                            files.readOnly.insert(FakeFileSystem::Key(folder));
                        },
                        {}},
        ExtractionFault{"NameLeavingTheFolder",
                        [](FakeFileSystem&, const std::string&, ArchiveDirectory& directory) {
                            directory.entries[0].name = "../escaped";
                        },
                        {"first.ttf"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Extraction, ExtractFontsCopiesEveryListedFileSkippingFailuresAndKillFilesDeletesThem) {
    const Names names = {"kernova.xml", "a.ttf", "b.TTF", "missing.ttf", "sub", "../escape"};
    for (const char* name : {"kernova.xml", "a.ttf", "b.TTF", "a.ttf.bak"}) {
        files.AddFile(folder.path() + name, std::string("bytes of ") + name);
    }
    files.AddFolder(folder.path() + "sub");
    files.AddFolder("/app/b.TTF"); // cannot be replaced by a file
    files.AddFile("/victim", "keep me");
    files.AddLink("/app/a.ttf", "/victim");
    ExtractFonts(files, names, folder.path(), "/app/");
    EXPECT_EQ(files.Names("/app"), (Names{"a.ttf", "b.TTF", "kernova.xml"}));
    EXPECT_EQ(files.Read("/app/a.ttf"), "bytes of a.ttf");
    EXPECT_EQ(files.Read("/victim"), "keep me");
    EXPECT_TRUE(files.IsFolder("/app/b.TTF"));

    files.AddFile("/tmp/escape", "outside");
    KillFiles(files, names, folder.path());
    KillFiles(files, names, folder.path()); // twice is harmless
    EXPECT_EQ(files.Names(folder.path()), (Names{"a.ttf.bak", "sub"}));
    EXPECT_EQ(files.Read("/app/a.ttf"), "bytes of a.ttf");
    EXPECT_TRUE(files.Exists("/tmp/escape"));
    folder.Remove();
    EXPECT_EQ(files.Names("/tmp"), Names{"escape"});
}

struct WriterCase {
    std::vector<PackageInput> inputs;
    const char* culprit;
    const char* output = "/out/setup";
};

class WriterRefusal : public ::testing::TestWithParam<WriterCase> {};

TEST_P(WriterRefusal, NamesTheCulpritAndLeavesNoFile) {
    FakeFileSystem files;
    files.AddFile("/stub", StubBytes(100));
    files.AddFile("/font.ttf", "precious");
    files.AddFolder("/out");
    files.AddFolder("/locked");
    files.readOnly.insert("/locked");
    const FakeFileSystem::Tree before = files.tree();
    try {
        WritePackage(files, "/stub", GetParam().inputs, GetParam().output);
        ADD_FAILURE() << "wrote a package it should refuse";
    } catch (const std::runtime_error& refused) {
        EXPECT_NE(std::string(refused.what()).find(GetParam().culprit), std::string::npos)
            << refused.what();
    }
    EXPECT_EQ(files.tree(), before);
}

std::vector<PackageInput> Many(int count) {
    std::vector<PackageInput> inputs;
    for (int i = 0; i < count; ++i) {
        inputs.push_back(BytesEntry(std::to_string(i), ""));
    }
    return inputs;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, WriterRefusal,
    ::testing::Values(WriterCase{{}, "at least one entry"},
                      WriterCase{{BytesEntry(std::string(41, 'n'), "")}, "nnnnnnnn"},
                      WriterCase{{BytesEntry("", "x")}, "plain file name"},
                      WriterCase{{BytesEntry("..", "x")}, "\"..\""},
                      WriterCase{{BytesEntry("a/b.ttf", "")}, "a/b.ttf"},
                      WriterCase{{BytesEntry("a\\b.ttf", "")}, "a\\\\b.ttf"},
                      WriterCase{{BytesEntry("a\rb.ttf", "")}, "a\\rb.ttf"},
                      WriterCase{{BytesEntry("a", "1"), BytesEntry("b", ""), BytesEntry("a", "2")},
                                 "two entries are named \"a\""},
                      WriterCase{Many(32768), "32767"},
                      WriterCase{{FromFile("a.ttf", "/missing.ttf")}, "/missing.ttf"},
                      WriterCase{{FromFile("a.ttf", "/out")}, "not a regular file"},
                      WriterCase{{FromFile("a.ttf", "/font.ttf")}, "is the input", "/font.ttf"},
                      WriterCase{{BytesEntry("a", "")}, "is the stub", "/stub"},
                      WriterCase{{BytesEntry("a", "")}, "cannot create", "/locked/setup"}));

} // namespace
} // namespace kernova::test
