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

// Five entries, appended a..e, so read e, d, c, b, a.
std::vector<RawEntry> FiveEntries() {
    std::vector<RawEntry> entries;
    for (char c = 'a'; c <= 'e'; ++c) {
        entries.push_back(RawFile(std::string(1, c) + ".ttf", test::PatternBytes(100 + c, c)));
    }
    return entries;
}

std::vector<std::string> Names(const ArchiveDirectory& directory) {
    std::vector<std::string> names;
    for (const ArchiveEntry& entry : directory.entries) {
        names.push_back(entry.name);
    }
    return names;
}

// --- count field forms: how many entries are read --------------------------------------

struct CountCase {
    const char* label;
    std::string field;
    std::int16_t entryCount;
    std::size_t read;
};

class CountField : public ::testing::TestWithParam<CountCase> {};

TEST_P(CountField, DecidesHowManyEntriesAreRead) {
    test::Sandbox sandbox;
    fs::path file = test::WriteInstaller(sandbox.work() / "installer", test::StubBytes(1000),
                                         BuildRawArchive(FiveEntries(), GetParam().field));
    ArchiveDirectory directory = ReadArchiveDirectory(file.string());
    EXPECT_EQ(directory.EntryCount, GetParam().entryCount);
    std::vector<std::string> all = {"e.ttf", "d.ttf", "c.ttf", "b.ttf", "a.ttf"};
    EXPECT_EQ(Names(directory),
              std::vector<std::string>(all.begin(), all.begin() + GetParam().read));
}

INSTANTIATE_TEST_SUITE_P(Forms, CountField,
                         ::testing::Values(CountCase{"Five", "\r\r\r\r5", 5, 5},
                                           CountCase{"Zero", "\r\r\r\r0", 0, 1},
                                           CountCase{"Negative", "\r\r\r-3", -3, 1},
                                           CountCase{"NulsBeforeDigit",
                                                     std::string("\0\0\0\0"
                                                                 "5",
                                                                 5),
                                                     0, 1},
                                           CountCase{"BlanksBeforeDigit", "    5", 5, 5},
                                           CountCase{"AllCr", "\r\r\r\r\r", 0, 1},
                                           CountCase{"LineFeedsStripped", "\n\r\n\r3", 3, 3},
                                           CountCase{"ZeroPadded", "00004", 4, 4},
                                           CountCase{"TrailingText", "\r\r2xy", 2, 2},
                                           CountCase{"HalfRoundsDownToEven", "\r\r2.5", 2, 2},
                                           CountCase{"HalfRoundsUpToEven", "\r\r3.5", 4, 4},
                                           CountCase{"Exponent", "\r\r4e0", 4, 4}),
                         [](const auto& info) { return std::string(info.param.label); });

// --- accepted entries --------------------------------------------------------------------

TEST(ArchiveDirectory, ListsNamesAsStoredWithOnlyLineBreaksRemoved) {
    test::Sandbox sandbox;
    const std::string forty(40, 'n');
    std::vector<RawEntry> entries = {
        RawFile(forty, "x"),
        {"y", std::string(37, ' ') + "pad", test::SizeField(1)},
        {"z", std::string(31, '\r') + "line\nfeed", test::SizeField(1)},
    };
    fs::path file = test::WriteInstaller(sandbox.work() / "installer", test::StubBytes(10),
                                         BuildRawArchive(entries, test::CountField(3)));
    EXPECT_EQ(Names(ReadArchiveDirectory(file.string())),
              (std::vector<std::string>{"linefeed", std::string(37, ' ') + "pad", forty}));
}

TEST(ArchiveDirectory, EmptyEntryTakesFiftyBytesAndDuplicatesAreBothListed) {
    test::Sandbox sandbox;
    std::vector<RawEntry> entries = {RawFile("same.ttf", "first"), RawFile("empty", ""),
                                     RawFile("same.ttf", "second")};
    const std::string stub = test::StubBytes(7);
    fs::path file = test::WriteInstaller(sandbox.work() / "installer", stub,
                                         BuildRawArchive(entries, test::CountField(3)));
    ArchiveDirectory directory = ReadArchiveDirectory(file.string());
    ASSERT_EQ(Names(directory), (std::vector<std::string>{"same.ttf", "empty", "same.ttf"}));
    EXPECT_EQ(directory.entries[1].size, 0);
    EXPECT_EQ(directory.entries[0].dataOffset - directory.entries[1].dataOffset, 50);
    EXPECT_EQ(directory.entries[2].dataOffset, 7);
}

TEST(ArchiveDirectory, SizeFieldWithLeadingZerosGivesItsNumber) {
    test::Sandbox sandbox;
    std::vector<RawEntry> entries = {{"twelve bytes", test::NameField("t"), "0000000012"}};
    fs::path file = test::WriteInstaller(sandbox.work() / "installer", test::StubBytes(10),
                                         BuildRawArchive(entries, test::CountField(1)));
    ArchiveDirectory directory = ReadArchiveDirectory(file.string());
    ASSERT_EQ(directory.entries.size(), 1u);
    EXPECT_EQ(directory.entries[0].size, 12);
    EXPECT_EQ(directory.entries[0].dataOffset, 10);
}

// --- failures: one corrupt-package failure, nothing written -----------------------------

struct FailureCase {
    const char* label;
    std::string file; // the whole file; empty: no file at all
    const char* why;  // part of what() naming the fault
};

std::string Installer(const std::vector<RawEntry>& entries, const std::string& count,
                      std::size_t stub = 1000) {
    return test::StubBytes(stub) + BuildRawArchive(entries, count);
}

std::vector<RawEntry> OneEntry(const std::string& nameField, const std::string& sizeField,
                               const std::string& data = "data") {
    return {RawEntry{data, nameField, sizeField}};
}

class CorruptPackageCase : public ::testing::TestWithParam<FailureCase> {};

TEST_P(CorruptPackageCase, FailsAndWritesNothing) {
    test::Sandbox sandbox;
    fs::path file = sandbox.work() / "installer";
    if (!GetParam().file.empty()) {
        test::WriteFileBytes(file, GetParam().file);
    }
    const test::TreeSnapshot before = test::Snapshot(sandbox.root());
    try {
        ReadArchiveDirectory(file.string());
        FAIL() << "accepted a corrupt package";
    } catch (const CorruptPackage& corrupt) {
        EXPECT_NE(std::string(corrupt.what()).find(GetParam().why), std::string::npos)
            << corrupt.what();
    }
    EXPECT_EQ(test::Snapshot(sandbox.root()), before);
}

const std::string kName = test::NameField("font.ttf");

INSTANTIATE_TEST_SUITE_P(
    Table, CorruptPackageCase,
    ::testing::Values(
        FailureCase{"NoFile", "", "cannot open"},
        FailureCase{"ShorterThanTrailer", std::string(518, '\t'), "shorter than"},
        FailureCase{"TrailerOnly", Installer({}, "\r\r\r\r1", 0), "before the start"},
        FailureCase{"NoArchiveZeroBytes", std::string(100000, '\0'), "not a number"},
        FailureCase{"CountAbove32767", Installer(OneEntry(kName, test::SizeField(4)), "40000"),
                    "entry count"},
        FailureCase{"Count32768", Installer(OneEntry(kName, test::SizeField(4)), "32768"),
                    "entry count"},
        FailureCase{"CountBeyond16Bits", Installer(OneEntry(kName, test::SizeField(4)), "99999"),
                    "entry count"},
        FailureCase{"CountRoundsAbove16Bits",
                    Installer(OneEntry(kName, test::SizeField(4)), "\r9e99"), "entry count"},
        FailureCase{"SizeLetters", Installer(OneEntry(kName, "00000abcde"), "\r\r\r\r1"),
                    "not a number"},
        FailureCase{"SizeBlanks", Installer(OneEntry(kName, std::string(10, ' ')), "\r\r\r\r1"),
                    "not a number"},
        FailureCase{"SizeNuls", Installer(OneEntry(kName, std::string(10, '\0')), "\r\r\r\r1"),
                    "not a number"},
        FailureCase{"SizeWithCr", Installer(OneEntry(kName, "000000\r004"), "\r\r\r\r1"),
                    "not a number"},
        FailureCase{"SizeWithFraction", Installer(OneEntry(kName, "0000004.00"), "\r\r\r\r1"),
                    "not a number"},
        FailureCase{"SizeNegative", Installer(OneEntry(kName, "-000000004"), "\r\r\r\r1"),
                    "outside the file"},
        FailureCase{"PositionsLeave32Bits", Installer(OneEntry(kName, "4294967295"), "\r\r\r\r1"),
                    "outside the file"},
        FailureCase{"DataBeforeStart",
                    Installer(OneEntry(kName, test::SizeField(1005)), "\r\r\r\r1"),
                    "outside the file"},
        FailureCase{"MoreEntriesCountedThanStored",
                    Installer({RawFile("a.ttf", "aaaa"), RawFile("b.ttf", "bb")}, "\r\r\r\r3", 10),
                    "before the start"},
        FailureCase{"EmptyName",
                    Installer(OneEntry(std::string(40, '\r'), test::SizeField(4)), "\r\r\r\r1"),
                    "plain file name"},
        FailureCase{
            "NameOfLineBreaksOnly",
            Installer(OneEntry(std::string(20, '\r') + std::string(20, '\n'), test::SizeField(4)),
                      "\r\r\r\r1"),
            "plain file name"},
        FailureCase{"NameDot",
                    Installer(OneEntry(test::NameField("."), test::SizeField(4)), "\r\r\r\r1"),
                    "plain file name"},
        FailureCase{"NameDotDot",
                    Installer(OneEntry(test::NameField(".."), test::SizeField(4)), "\r\r\r\r1"),
                    "plain file name"},
        FailureCase{
            "NameWithSlash",
            Installer(OneEntry(test::NameField("../../.bashrc"), test::SizeField(4)), "\r\r\r\r1"),
            "plain file name"},
        FailureCase{
            "NameAbsolute",
            Installer(OneEntry(test::NameField("/etc/passwd"), test::SizeField(4)), "\r\r\r\r1"),
            "plain file name"},
        FailureCase{
            "NameWithBackslash",
            Installer(OneEntry(test::NameField("..\\evil.ttf"), test::SizeField(4)), "\r\r\r\r1"),
            "plain file name"},
        FailureCase{
            "NameWithNul",
            Installer(OneEntry(test::NameField(std::string("a\0b.ttf", 7)), test::SizeField(4)),
                      "\r\r\r\r1"),
            "plain file name"},
        FailureCase{"NamePaddedWithNul",
                    Installer(OneEntry(std::string(32, '\0') + "font.ttf", test::SizeField(4)),
                              "\r\r\r\r1"),
                    "plain file name"},
        FailureCase{"BadNameAfterGoodOnes",
                    Installer({RawFile("../x", "x"), RawFile("b.ttf", "b"), RawFile("c.ttf", "c")},
                              "\r\r\r\r3"),
                    "entry 3"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ArchiveDirectory, FolderIsNotAPackage) {
    test::Sandbox sandbox;
    EXPECT_THROW(ReadArchiveDirectory(sandbox.work().string()), CorruptPackage);
}

TEST(ArchiveDirectory, CountNeedingMoreEntriesThanTheFileHoldsFails) {
    // Twelve entries counted ("1 2": blanks inside the number are skipped), five stored.
    test::Sandbox sandbox;
    fs::path file = test::WriteInstaller(sandbox.work() / "installer", test::StubBytes(1000),
                                         BuildRawArchive(FiveEntries(), "\r\r1 2"));
    EXPECT_THROW(ReadArchiveDirectory(file.string()), CorruptPackage);
}

} // namespace
} // namespace kernova
