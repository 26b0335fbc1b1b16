// The directory pass: what it accepts, what it lists, and every way it refuses a package
// (and that a refused package writes nothing anywhere).
#include "archive/archive_directory.h"
#include "archive/corrupt_package.h"
#include "archive/package_writer.h"
#include "support/archive_fixtures.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using test::RawFile;

std::vector<std::string> Names(const ArchiveDirectory& directory) {
    std::vector<std::string> names;
    for (const ArchiveEntry& entry : directory.entries) {
        names.push_back(entry.name);
    }
    return names;
}

ArchiveDirectory Read(const test::Sandbox& sandbox, const std::vector<RawEntry>& entries,
                      const std::string& count, std::size_t stub = 1000) {
    fs::path file = test::WriteInstaller(sandbox.work() / "installer", test::StubBytes(stub),
                                         BuildRawArchive(entries, count));
    return ReadArchiveDirectory(file.string());
}

// Five entries, appended a..e, so read e, d, c, b, a.
std::vector<RawEntry> FiveEntries() {
    std::vector<RawEntry> entries;
    for (char c = 'a'; c <= 'e'; ++c) {
        entries.push_back(RawFile(std::string(1, c) + ".ttf", test::PatternBytes(100 + c, c)));
    }
    return entries;
}

TEST(ArchiveDirectory, CountFieldFormsDecideHowManyEntriesAreRead) {
    const std::string nuls = std::string(4, '\0') + "5";
    const struct {
        std::string field;
        std::int16_t entryCount;
        std::size_t read;
    } cases[] = {{"\r\r\r\r5", 5, 5}, {"\r\r\r\r0", 0, 1}, {"\r\r\r-3", -3, 1}, {nuls, 0, 1},
                 {"    5", 5, 5},     {"\n\r\n\r3", 3, 3}, {"00004", 4, 4},     {"\r\r2xy", 2, 2},
                 {"\r\r2.5", 2, 2},   {"\r\r3.5", 4, 4},   {"\r\r4e0", 4, 4}};
    const std::vector<std::string> all = {"e.ttf", "d.ttf", "c.ttf", "b.ttf", "a.ttf"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        test::Sandbox sandbox;
        ArchiveDirectory directory = Read(sandbox, FiveEntries(), c.field);
        EXPECT_EQ(directory.EntryCount, c.entryCount);
        EXPECT_EQ(Names(directory), std::vector<std::string>(all.begin(), all.begin() + c.read));
    }
}

TEST(ArchiveDirectory, ListsNamesAndSizesAsStored) {
    test::Sandbox sandbox;
    const std::string forty(40, 'n');
    ArchiveDirectory directory =
        Read(sandbox,
             {RawFile("same.ttf", "first"),
              RawFile("empty", ""),
              RawFile(forty, "x"),
              {"y", std::string(37, ' ') + "pad", test::SizeField(1)},
              {"z", std::string(31, '\r') + "line\nfeed", test::SizeField(1)},
              {"twelve bytes", test::NameField("t"), "0000000012"},
              RawFile("same.ttf", "second")},
             test::CountField(7), 7);
    // Only line breaks are removed from names; duplicates are both listed.
    ASSERT_EQ(Names(directory),
              (std::vector<std::string>{"same.ttf", "t", "linefeed", std::string(37, ' ') + "pad",
                                        forty, "empty", "same.ttf"}));
    EXPECT_EQ(directory.entries[1].size, 12);
    EXPECT_EQ(directory.entries[5].size, 0);
    EXPECT_EQ(directory.entries[4].dataOffset - directory.entries[5].dataOffset, 50);
    EXPECT_EQ(directory.entries[6].dataOffset, 7);
}

// Every refusal is one corrupt-package failure naming the fault, and nothing is written.
void ExpectCorrupt(const std::string& bytes, const char* why) {
    SCOPED_TRACE(std::string(why) + ", " + std::to_string(bytes.size()) + " bytes");
    test::Sandbox sandbox;
    fs::path file = sandbox.work() / "installer";
    if (!bytes.empty()) {
        test::WriteFileBytes(file, bytes);
    }
    const test::TreeSnapshot before = test::Snapshot(sandbox.root());
    try {
        ReadArchiveDirectory(file.string());
        ADD_FAILURE() << "accepted a corrupt package";
    } catch (const CorruptPackage& corrupt) {
        EXPECT_NE(std::string(corrupt.what()).find(why), std::string::npos) << corrupt.what();
    }
    EXPECT_EQ(test::Snapshot(sandbox.root()), before);
}

std::string Installer(const std::vector<RawEntry>& entries, const std::string& count,
                      std::size_t stub = 1000) {
    return test::StubBytes(stub) + BuildRawArchive(entries, count);
}

std::string OneEntry(const std::string& nameField, const std::string& sizeField,
                     const std::string& count = "\r\r\r\r1") {
    return Installer({RawEntry{"data", nameField, sizeField}}, count);
}

TEST(ArchiveDirectory, CorruptPackagesFailAndWriteNothing) {
    const std::string name = test::NameField("font.ttf");
    const std::string four = test::SizeField(4);
    ExpectCorrupt("", "cannot open");
    ExpectCorrupt(std::string(518, '\t'), "shorter than");
    ExpectCorrupt(Installer({}, "\r\r\r\r1", 0), "before the start");
    ExpectCorrupt(std::string(100000, '\0'), "not a number");
    for (const char* count : {"32768", "99999", "\r9e99"}) {
        ExpectCorrupt(OneEntry(name, four, count), "entry count");
    }
    for (const std::string& size :
         {std::string("00000abcde"), std::string(10, ' '), std::string(10, '\0'),
          std::string("000000\r004"), std::string("0000004.00")}) {
        ExpectCorrupt(OneEntry(name, size), "not a number");
    }
    for (const char* size : {"-000000004", "4294967295", "0000001005"}) {
        ExpectCorrupt(OneEntry(name, size), "outside the file");
    }
    ExpectCorrupt(Installer({RawFile("a.ttf", "aaaa"), RawFile("b.ttf", "bb")}, "\r\r\r\r3", 10),
                  "before the start");
    ExpectCorrupt(Installer(FiveEntries(), "\r\r1 2"), ""); // blanks inside the count are skipped
    ExpectCorrupt(Installer({RawFile("../x", "x"), RawFile("b.ttf", "b"), RawFile("c.ttf", "c")},
                            "\r\r\r\r3"),
                  "entry 3");
    // Names that are not a plain file name.
    for (const std::string& field :
         {std::string(40, '\r'), std::string(20, '\r') + std::string(20, '\n'),
          test::NameField("."), test::NameField(".."), test::NameField("../../.bashrc"),
          test::NameField("/etc/passwd"), test::NameField("..\\evil.ttf"),
          test::NameField(std::string("a\0b.ttf", 7)), std::string(32, '\0') + "font.ttf"}) {
        SCOPED_TRACE(field);
        ExpectCorrupt(OneEntry(field, four), "plain file name");
    }
    test::Sandbox sandbox;
    EXPECT_THROW(ReadArchiveDirectory(sandbox.work().string()), CorruptPackage);
}

} // namespace
} // namespace kernova
