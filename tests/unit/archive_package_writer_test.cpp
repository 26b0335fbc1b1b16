// The package writer: what it stores, and every input it refuses without leaving a file.
#include "archive/archive_directory.h"
#include "archive/package_writer.h"
#include "support/archive_fixtures.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace kernova {
namespace {

namespace fs = std::filesystem;

PackageInput Memory(const std::string& name, const std::string& data, bool text = false) {
    PackageInput input;
    input.name = name;
    input.data = data;
    input.fromMemory = true;
    input.crlfLineEnds = text;
    return input;
}

PackageInput File(const std::string& name, const fs::path& source, bool text = false) {
    PackageInput input;
    input.name = name;
    input.sourcePath = source.string();
    input.crlfLineEnds = text;
    return input;
}

class Writer : public ::testing::Test {
  protected:
    void SetUp() override { test::WriteFileBytes(stub(), test::StubBytes(2048)); }
    fs::path stub() const { return sandbox_.work() / "stub"; }
    fs::path output() const { return sandbox_.work() / "out" / "installer"; }

    // The entries' names and stored bytes, in read order.
    std::vector<std::pair<std::string, std::string>> Read() const {
        const std::string bytes = test::ReadFileBytes(output());
        std::vector<std::pair<std::string, std::string>> entries;
        for (const ArchiveEntry& entry : ReadArchiveDirectory(output().string()).entries) {
            entries.emplace_back(entry.name,
                                 bytes.substr(static_cast<std::size_t>(entry.dataOffset),
                                              static_cast<std::size_t>(entry.size)));
        }
        return entries;
    }

    test::Sandbox sandbox_;
};

TEST_F(Writer, StoresTextsWithCrLfLineEndsAndEverythingElseAsItIs) {
    fs::create_directories(output().parent_path());
    // A CR LF split across the converter's 64 KiB pieces must not gain a second CR.
    std::string longText(65535, 'a');
    longText += "\r\nb\nc\rd\n";
    test::WriteFileBytes(sandbox_.work() / "license", longText);
    test::WriteFileBytes(sandbox_.work() / "font", "bin\nary\r\n");
    WritePackage(stub().string(),
                 {File("font.ttf", sandbox_.work() / "font"),
                  File("license.txt", sandbox_.work() / "license", true),
                  Memory("readme.txt", "one\ntwo\r\n\n", true), Memory("kernova.xml", "x")},
                 output().string());
    const std::string converted = std::string(65535, 'a') + "\r\nb\r\nc\rd\r\n";
    EXPECT_EQ(Read(), (std::vector<std::pair<std::string, std::string>>{
                          {"kernova.xml", "x"},
                          {"readme.txt", "one\r\ntwo\r\n\r\n"},
                          {"license.txt", converted},
                          {"font.ttf", "bin\nary\r\n"}}));
    struct stat info {};
    ASSERT_EQ(::stat(output().c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IXUSR, 0u); // an installer is a program
}

TEST_F(Writer, NameOfFortyBytesHasNoPaddingAndTheOutputIsReplacedWhole) {
    fs::create_directories(output().parent_path());
    test::WriteFileBytes(output(), std::string(1 << 20, 'o')); // an older, larger installer
    const std::string forty(40, 'n');
    WritePackage(stub().string(), {Memory(forty, "data")}, output().string());
    const std::string bytes = test::ReadFileBytes(output());
    EXPECT_EQ(bytes.size(), 2048u + 4 + 50 + 519);
    EXPECT_EQ(bytes.substr(2048 + 4, 40), forty);
    EXPECT_EQ(test::FolderNames(output().parent_path()), std::vector<std::string>{"installer"});
}

struct Refusal {
    const char* label;
    std::function<std::vector<PackageInput>(const fs::path& work)> inputs;
    const char* culprit; // the message names it
};

class WriterRefuses : public Writer, public ::testing::WithParamInterface<Refusal> {};

TEST_P(WriterRefuses, WithAMessageNamingTheCulpritAndNoFile) {
    fs::create_directories(output().parent_path());
    std::vector<PackageInput> inputs = GetParam().inputs(sandbox_.work());
    try {
        WritePackage(stub().string(), inputs, output().string());
        FAIL() << "wrote a package it should refuse";
    } catch (const std::runtime_error& refused) {
        EXPECT_NE(std::string(refused.what()).find(GetParam().culprit), std::string::npos)
            << refused.what();
    }
    EXPECT_TRUE(test::FolderNames(output().parent_path()).empty());
}

std::vector<PackageInput> ManyEntries(std::size_t count) {
    std::vector<PackageInput> inputs;
    for (std::size_t i = 0; i < count; ++i) {
        inputs.push_back(Memory(std::to_string(i) + ".ttf", ""));
    }
    return inputs;
}

INSTANTIATE_TEST_SUITE_P(
    Table, WriterRefuses,
    ::testing::Values(
        Refusal{"NoEntries", [](const fs::path&) { return std::vector<PackageInput>{}; },
                "at least one entry"},
        Refusal{"NameLongerThan40",
                [](const fs::path&) { return std::vector{Memory(std::string(41, 'n'), "")}; },
                "nnnnnnnn"},
        Refusal{"EmptyName", [](const fs::path&) { return std::vector{Memory("", "x")}; },
                "plain file name"},
        Refusal{"DotDot", [](const fs::path&) { return std::vector{Memory("..", "x")}; }, "\"..\""},
        Refusal{"FolderPart", [](const fs::path&) { return std::vector{Memory("a/b.ttf", "")}; },
                "a/b.ttf"},
        Refusal{"Backslash", [](const fs::path&) { return std::vector{Memory("a\\b.ttf", "")}; },
                "a\\\\b.ttf"},
        Refusal{"LineBreakInName",
                [](const fs::path&) { return std::vector{Memory("a\rb.ttf", "")}; }, "a\\rb.ttf"},
        Refusal{
            "Duplicate",
            [](const fs::path&) {
                return std::vector{Memory("a.ttf", "1"), Memory("b.ttf", ""), Memory("a.ttf", "2")};
            },
            "two entries are named \"a.ttf\""},
        Refusal{"TooManyEntries", [](const fs::path&) { return ManyEntries(32768); }, "32767"},
        Refusal{"MissingInput",
                [](const fs::path& work) {
                    return std::vector{File("a.ttf", work / "no-such-font.ttf")};
                },
                "no-such-font.ttf"},
        Refusal{"InputIsAFolder",
                [](const fs::path& work) { return std::vector{File("a.ttf", work)}; },
                "not a regular file"},
        Refusal{"TwoGigabytes",
                [](const fs::path& work) {
                    // Sparse: it takes no room on disk, yet its size counts. With the
                    // stub, two records and the trailer the installer is exactly 2 GiB.
                    const fs::path huge = work / "huge.ttf";
                    test::WriteFileBytes(huge, "");
                    fs::resize_file(huge, (std::uintmax_t{1} << 31) - 2048 - 519 - 100);
                    return std::vector{File("huge.ttf", huge), Memory("kernova.xml", "")};
                },
                "2 GiB"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Writer, RefusesAMissingStub) {
    fs::create_directories(output().parent_path());
    EXPECT_THROW(
        WritePackage((sandbox_.work() / "no-stub").string(), {Memory("a", "")}, output().string()),
        std::runtime_error);
    EXPECT_FALSE(fs::exists(output()));
}

TEST_F(Writer, NeverReplacesItsOwnInputOrStub) {
    const fs::path font = sandbox_.work() / "font.ttf";
    test::WriteFileBytes(font, "precious");
    EXPECT_THROW(WritePackage(stub().string(), {File("font.ttf", font)}, font.string()),
                 std::runtime_error);
    EXPECT_THROW(WritePackage(stub().string(), {File("font.ttf", font)}, stub().string()),
                 std::runtime_error);
    EXPECT_EQ(test::ReadFileBytes(font), "precious");
    EXPECT_EQ(test::ReadFileBytes(stub()), test::StubBytes(2048));
}

TEST_F(Writer, UnwritableOutputFolderLeavesNothing) {
    fs::create_directories(output().parent_path());
    fs::permissions(output().parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_THROW(WritePackage(stub().string(), {Memory("a", "")}, output().string()),
                 std::runtime_error);
    fs::permissions(output().parent_path(), fs::perms::owner_all);
    EXPECT_TRUE(test::FolderNames(output().parent_path()).empty());
}

} // namespace
} // namespace kernova
