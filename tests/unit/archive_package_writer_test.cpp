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
    void SetUp() override {
        test::WriteFileBytes(stub(), test::StubBytes(2048));
        fs::create_directories(output().parent_path());
    }
    fs::path work() const { return sandbox_.work(); }
    fs::path stub() const { return work() / "stub"; }
    fs::path output() const { return work() / "out" / "installer"; }
    std::vector<std::string> OutFolder() const { return test::FolderNames(output().parent_path()); }

    test::Sandbox sandbox_;
};

TEST_F(Writer, StoresTextsWithCrLfLineEndsAndEverythingElseAsItIs) {
    // A CR LF split across the converter's 64 KiB pieces must not gain a second CR.
    test::WriteFileBytes(work() / "license", std::string(65535, 'a') + "\r\nb\nc\rd\n");
    test::WriteFileBytes(work() / "font", "bin\nary\r\n");
    WritePackage(stub().string(),
                 {File("font.ttf", work() / "font"), File("license.txt", work() / "license", true),
                  Memory("readme.txt", "one\ntwo\r\n\n", true), Memory("kernova.xml", "x")},
                 output().string());
    const std::string bytes = test::ReadFileBytes(output());
    std::vector<std::pair<std::string, std::string>> entries;
    for (const ArchiveEntry& entry : ReadArchiveDirectory(output().string()).entries) {
        entries.emplace_back(entry.name, bytes.substr(static_cast<std::size_t>(entry.dataOffset),
                                                      static_cast<std::size_t>(entry.size)));
    }
    EXPECT_EQ(entries, (std::vector<std::pair<std::string, std::string>>{
                           {"kernova.xml", "x"},
                           {"readme.txt", "one\r\ntwo\r\n\r\n"},
                           {"license.txt", std::string(65535, 'a') + "\r\nb\r\nc\rd\r\n"},
                           {"font.ttf", "bin\nary\r\n"}}));
    struct stat info {};
    ASSERT_EQ(::stat(output().c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IXUSR, 0u); // an installer is a program
}

TEST_F(Writer, NameOfFortyBytesHasNoPaddingAndTheOutputIsReplacedWhole) {
    test::WriteFileBytes(output(), std::string(1 << 20, 'o')); // an older, larger installer
    const std::string forty(40, 'n');
    WritePackage(stub().string(), {Memory(forty, "data")}, output().string());
    const std::string bytes = test::ReadFileBytes(output());
    EXPECT_EQ(bytes.size(), 2048u + 4 + 50 + 519);
    EXPECT_EQ(bytes.substr(2048 + 4, 40), forty);
    EXPECT_EQ(OutFolder(), std::vector<std::string>{"installer"});
}

TEST_F(Writer, RefusesWithAMessageNamingTheCulpritAndNoFile) {
    std::vector<PackageInput> many;
    for (int i = 0; i < 32768; ++i) {
        many.push_back(Memory(std::to_string(i) + ".ttf", ""));
    }
    // Sparse: it takes no room on disk, yet its size counts. With the stub, two records and
    // the trailer the installer is exactly 2 GiB.
    const fs::path huge = work() / "huge.ttf";
    test::WriteFileBytes(huge, "");
    fs::resize_file(huge, (std::uintmax_t{1} << 31) - 2048 - 519 - 100);
    const std::pair<std::vector<PackageInput>, const char*> cases[] = {
        {{}, "at least one entry"},
        {{Memory(std::string(41, 'n'), "")}, "nnnnnnnn"},
        {{Memory("", "x")}, "plain file name"},
        {{Memory("..", "x")}, "\"..\""},
        {{Memory("a/b.ttf", "")}, "a/b.ttf"},
        {{Memory("a\\b.ttf", "")}, "a\\\\b.ttf"},
        {{Memory("a\rb.ttf", "")}, "a\\rb.ttf"},
        {{Memory("a.ttf", "1"), Memory("b.ttf", ""), Memory("a.ttf", "2")},
         "two entries are named \"a.ttf\""},
        {many, "32767"},
        {{File("a.ttf", work() / "no-such-font.ttf")}, "no-such-font.ttf"},
        {{File("a.ttf", work())}, "not a regular file"},
        {{File("huge.ttf", huge), Memory("kernova.xml", "")}, "2 GiB"},
    };
    for (const auto& [inputs, culprit] : cases) {
        SCOPED_TRACE(culprit);
        try {
            WritePackage(stub().string(), inputs, output().string());
            ADD_FAILURE() << "wrote a package it should refuse";
        } catch (const std::runtime_error& refused) {
            EXPECT_NE(std::string(refused.what()).find(culprit), std::string::npos)
                << refused.what();
        }
        EXPECT_TRUE(OutFolder().empty());
    }
}

TEST_F(Writer, RefusesAMissingStubItsOwnInputsAndALockedFolder) {
    EXPECT_THROW(WritePackage((work() / "no-stub").string(), {Memory("a", "")}, output().string()),
                 std::runtime_error);
    EXPECT_TRUE(OutFolder().empty());

    const fs::path font = work() / "font.ttf";
    test::WriteFileBytes(font, "precious");
    for (const fs::path& target : {font, stub()}) {
        EXPECT_THROW(WritePackage(stub().string(), {File("font.ttf", font)}, target.string()),
                     std::runtime_error);
    }
    EXPECT_EQ(test::ReadFileBytes(font), "precious");
    EXPECT_EQ(test::ReadFileBytes(stub()), test::StubBytes(2048));

    fs::permissions(output().parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_THROW(WritePackage(stub().string(), {Memory("a", "")}, output().string()),
                 std::runtime_error);
    fs::permissions(output().parent_path(), fs::perms::owner_all);
    EXPECT_TRUE(OutFolder().empty());
}

} // namespace
} // namespace kernova
