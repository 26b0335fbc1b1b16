// Extraction into the private folder: round trips, duplicates, stale files, streaming of
// large entries, and that a failing write leaves no file behind.
#include "archive/archive_directory.h"
#include "archive/copy_bytes.h"
#include "archive/extraction.h"
#include "archive/package_writer.h"
#include "support/archive_fixtures.h"
#include "support/sandbox.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using test::RawFile;

class Extraction : public ::testing::Test {
  protected:
    fs::path Package(const std::vector<RawEntry>& entries) {
        return test::WriteInstaller(
            sandbox_.work() / "installer", test::StubBytes(4096),
            BuildRawArchive(entries, test::CountField(static_cast<int>(entries.size()))));
    }

    test::Sandbox sandbox_;
};

TEST_F(Extraction, WritesEveryEntryIncludingEmptyOnes) {
    const std::string big = test::PatternBytes((40u << 20) + 123, 9); // several copy chunks
    fs::path file = Package({RawFile("big.ttf", big), RawFile("empty.txt", ""),
                             RawFile("kernova.xml", "<XML>\r\n</XML>\r\n")});
    ArchiveDirectory directory = ReadArchiveDirectory(file.string());
    ExtractionFolder folder(sandbox_.tmp().string());
    int yields = 0;
    ExtractAll(file.string(), directory, folder.path(), [&yields] { ++yields; });

    EXPECT_EQ(test::FolderNames(folder.path()),
              (std::vector<std::string>{"big.ttf", "empty.txt", "kernova.xml"}));
    EXPECT_TRUE(test::ReadFileBytes(folder.path() + "big.ttf") == big);
    EXPECT_EQ(fs::file_size(folder.path() + "empty.txt"), 0u);
    EXPECT_EQ(test::ReadFileBytes(folder.path() + "kernova.xml"), "<XML>\r\n</XML>\r\n");
    EXPECT_GE(yields, 7 * 3); // the notice stays painted: at least seven times per entry
}

TEST_F(Extraction, OfTwoEntriesWithOneNameTheEarlierAppendedRemains) {
    fs::path file = Package({RawFile("same.ttf", "appended first"), RawFile("other", "o"),
                             RawFile("same.ttf", "appended last, read first")});
    ExtractionFolder folder(sandbox_.tmp().string());
    ExtractAll(file.string(), ReadArchiveDirectory(file.string()), folder.path(), {});
    EXPECT_EQ(test::ReadFileBytes(folder.path() + "same.ttf"), "appended first");
    EXPECT_EQ(test::FolderNames(folder.path()), (std::vector<std::string>{"other", "same.ttf"}));
}

TEST_F(Extraction, StaleLongerFileIsReplacedNotOverwrittenInPart) {
    fs::path file = Package({RawFile("font.ttf", "short")});
    ExtractionFolder folder(sandbox_.tmp().string());
    test::WriteFileBytes(folder.path() + "font.ttf", std::string(100000, 'x'));
    ExtractAll(file.string(), ReadArchiveDirectory(file.string()), folder.path(), {});
    EXPECT_EQ(test::ReadFileBytes(folder.path() + "font.ttf"), "short");
}

TEST_F(Extraction, LinkPlantedUnderAnEntryNameIsReplacedNotWrittenThrough) {
    fs::path file = Package({RawFile("font.ttf", "font data")});
    ExtractionFolder folder(sandbox_.tmp().string());
    const fs::path victim = sandbox_.work() / "victim";
    test::WriteFileBytes(victim, "keep me");
    fs::create_symlink(victim, folder.path() + "font.ttf");
    ExtractAll(file.string(), ReadArchiveDirectory(file.string()), folder.path(), {});
    EXPECT_FALSE(fs::is_symlink(folder.path() + "font.ttf"));
    EXPECT_EQ(test::ReadFileBytes(folder.path() + "font.ttf"), "font data");
    EXPECT_EQ(test::ReadFileBytes(victim), "keep me");
}

TEST_F(Extraction, EntriesWhoseDataIsGoneLeaveNoFile) {
    // The package shrinks after the directory pass: the entries whose bytes are gone are
    // not written at all, not even in part; the others are.
    const std::vector<RawEntry> entries = {RawFile("first.ttf", test::PatternBytes(300000, 1)),
                                           RawFile("second.ttf", test::PatternBytes(300000, 2))};
    fs::path file = Package(entries);
    ArchiveDirectory directory = ReadArchiveDirectory(file.string());
    ExtractionFolder folder(sandbox_.tmp().string());

    fs::resize_file(file, 4096 + 150000);
    ExtractAll(file.string(), directory, folder.path(), {});
    EXPECT_TRUE(test::FolderNames(folder.path()).empty());

    file = Package(entries);
    fs::resize_file(file, 4096 + 300000 + 50 + 150000);
    ExtractAll(file.string(), directory, folder.path(), {});
    EXPECT_EQ(test::FolderNames(folder.path()), std::vector<std::string>{"first.ttf"});
    EXPECT_TRUE(test::ReadFileBytes(folder.path() + "first.ttf") == entries[0].data);
}

TEST_F(Extraction, MissingPackageOrUnwritableFolderWritesNothingAndDoesNotFail) {
    fs::path file = Package({RawFile("font.ttf", "data")});
    ArchiveDirectory directory = ReadArchiveDirectory(file.string());
    ExtractionFolder folder(sandbox_.tmp().string());
    ExtractAll((sandbox_.work() / "gone").string(), directory, folder.path(), {});
    EXPECT_TRUE(test::FolderNames(folder.path()).empty());

    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
    ExtractAll(file.string(), directory, folder.path(), {});
    fs::permissions(folder.path(), fs::perms::owner_all);
    EXPECT_TRUE(test::FolderNames(folder.path()).empty());
}

TEST_F(Extraction, NamesThatAreNotPlainAreNeverJoinedToTheFolder) {
    // A directory built by hand, not by the reader: the extraction still refuses to leave
    // its folder.
    fs::path file = Package({RawFile("x", "evil")});
    ArchiveDirectory directory = ReadArchiveDirectory(file.string());
    directory.entries[0].name = "../escaped";
    ExtractionFolder folder(sandbox_.tmp().string());
    ExtractAll(file.string(), directory, folder.path(), {});
    EXPECT_FALSE(fs::exists(sandbox_.tmp() / "escaped"));
    EXPECT_TRUE(test::FolderNames(folder.path()).empty());
}

// --- the private folder ------------------------------------------------------------------

TEST(ExtractionFolderTest, IsFreshPrivateAndUnpredictable) {
    test::Sandbox sandbox;
    ExtractionFolder first(sandbox.tmp().string());
    ExtractionFolder second(sandbox.tmp().string() + "/");
    EXPECT_NE(first.path(), second.path());
    for (const ExtractionFolder* folder : {&first, &second}) {
        ASSERT_EQ(folder->path().back(), '/');
        EXPECT_EQ(fs::path(folder->path()).parent_path().parent_path(), sandbox.tmp());
        struct stat info {};
        ASSERT_EQ(::lstat(folder->path().c_str(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        EXPECT_EQ(info.st_uid, ::geteuid());
    }
}

TEST(ExtractionFolderTest, GoesAwayWithEverythingInItButNothingOutside) {
    test::Sandbox sandbox;
    const fs::path outside = sandbox.work() / "outside.ttf";
    test::WriteFileBytes(outside, "outside");
    std::string path;
    {
        ExtractionFolder folder(sandbox.tmp().string());
        path = folder.path();
        test::WriteFileBytes(path + "a.ttf", "a");
        fs::create_symlink(outside, path + "link.ttf");
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(test::ReadFileBytes(outside), "outside");
}

TEST(ExtractionFolderTest, RemovingTwiceIsHarmless) {
    test::Sandbox sandbox;
    ExtractionFolder folder(sandbox.tmp().string());
    folder.Remove();
    EXPECT_FALSE(fs::exists(folder.path()));
    folder.Remove();
}

TEST(ExtractionFolderTest, FailsWhenTheTemporaryFolderIsUnusable) {
    test::Sandbox sandbox;
    EXPECT_THROW(ExtractionFolder(""), std::system_error);
    EXPECT_THROW(ExtractionFolder((sandbox.tmp() / "missing").string()), std::system_error);
}

// --- streaming copies, whichever way the kernel offers -----------------------------------

TEST(CopyBytesTest, CopiesARangeIntoAppendOnlyFilesAndPipesToo) {
    test::Sandbox sandbox;
    const std::string data = test::PatternBytes(1u << 20, 4);
    const fs::path source = sandbox.work() / "source";
    test::WriteFileBytes(source, data);
    int in = ::open(source.c_str(), O_RDONLY);
    ASSERT_GE(in, 0);

    // copy_file_range refuses append-only targets; the copy falls back and still works.
    const fs::path target = sandbox.work() / "target";
    int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    ASSERT_GE(out, 0);
    EXPECT_FALSE(CopyBytes(in, 1000, out, 500000));
    ::close(out);
    EXPECT_TRUE(test::ReadFileBytes(target) == data.substr(1000, 500000));

    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    EXPECT_FALSE(CopyBytes(in, 5, pipeFds[1], 4000));
    std::string piped(4000, '\0');
    EXPECT_EQ(::read(pipeFds[0], piped.data(), piped.size()), 4000);
    EXPECT_EQ(piped, data.substr(5, 4000));
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);

    // A source that ends before the range does is an error, not a short copy.
    out = ::open(target.c_str(), O_WRONLY | O_TRUNC);
    EXPECT_TRUE(CopyBytes(in, static_cast<std::int64_t>(data.size()) - 10, out, 20));
    ::close(out);
    ::close(in);
}

} // namespace
} // namespace kernova
