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
    std::vector<std::string> Extract(const fs::path& file, const ArchiveDirectory& directory) {
        ExtractAll(file.string(), directory, folder_.path(), {});
        return test::FolderNames(folder_.path());
    }

    test::Sandbox sandbox_;
    ExtractionFolder folder_{sandbox_.tmp().string()};
};

TEST_F(Extraction, WritesEveryEntryIncludingEmptyOnes) {
    const std::string big = test::PatternBytes((40u << 20) + 123, 9); // several copy chunks
    fs::path file = Package({RawFile("big.ttf", big), RawFile("empty.txt", ""),
                             RawFile("kernova.xml", "<XML>\r\n</XML>\r\n")});
    int yields = 0;
    ExtractAll(file.string(), ReadArchiveDirectory(file.string()), folder_.path(),
               [&yields] { ++yields; });
    EXPECT_EQ(test::FolderNames(folder_.path()),
              (std::vector<std::string>{"big.ttf", "empty.txt", "kernova.xml"}));
    EXPECT_TRUE(test::ReadFileBytes(folder_.path() + "big.ttf") == big);
    EXPECT_EQ(fs::file_size(folder_.path() + "empty.txt"), 0u);
    EXPECT_EQ(test::ReadFileBytes(folder_.path() + "kernova.xml"), "<XML>\r\n</XML>\r\n");
    EXPECT_GE(yields, 7 * 3); // the notice stays painted: at least seven times per entry
}

TEST_F(Extraction, DuplicatesStaleFilesAndPlantedLinks) {
    fs::path file = Package({RawFile("same.ttf", "appended first"), RawFile("stale.ttf", "short"),
                             RawFile("link.ttf", "font data"),
                             RawFile("same.ttf", "appended last, read first")});
    test::WriteFileBytes(folder_.path() + "stale.ttf", std::string(100000, 'x'));
    const fs::path victim = sandbox_.work() / "victim";
    test::WriteFileBytes(victim, "keep me");
    fs::create_symlink(victim, folder_.path() + "link.ttf");
    EXPECT_EQ(Extract(file, ReadArchiveDirectory(file.string())),
              (std::vector<std::string>{"link.ttf", "same.ttf", "stale.ttf"}));
    // Of two entries with one name the earlier appended remains.
    EXPECT_EQ(test::ReadFileBytes(folder_.path() + "same.ttf"), "appended first");
    // A longer stale file is replaced, not overwritten in part.
    EXPECT_EQ(test::ReadFileBytes(folder_.path() + "stale.ttf"), "short");
    // A link is replaced, not written through.
    EXPECT_FALSE(fs::is_symlink(folder_.path() + "link.ttf"));
    EXPECT_EQ(test::ReadFileBytes(folder_.path() + "link.ttf"), "font data");
    EXPECT_EQ(test::ReadFileBytes(victim), "keep me");
}

TEST_F(Extraction, EntriesWhoseDataIsGoneLeaveNoFile) {
    // The package shrinks after the directory pass: the entries whose bytes are gone are
    // not written at all, not even in part; the others are.
    const std::vector<RawEntry> entries = {RawFile("first.ttf", test::PatternBytes(300000, 1)),
                                           RawFile("second.ttf", test::PatternBytes(300000, 2))};
    fs::path file = Package(entries);
    ArchiveDirectory directory = ReadArchiveDirectory(file.string());
    fs::resize_file(file, 4096 + 150000);
    EXPECT_TRUE(Extract(file, directory).empty());
    file = Package(entries);
    fs::resize_file(file, 4096 + 300000 + 50 + 150000);
    EXPECT_EQ(Extract(file, directory), std::vector<std::string>{"first.ttf"});
    EXPECT_TRUE(test::ReadFileBytes(folder_.path() + "first.ttf") == entries[0].data);
}

TEST_F(Extraction, WritesNothingOutsideTheFolderNorFromAMissingPackageNorIntoALockedFolder) {
    fs::path file = Package({RawFile("font.ttf", "data")});
    ArchiveDirectory directory = ReadArchiveDirectory(file.string());
    EXPECT_TRUE(Extract(sandbox_.work() / "gone", directory).empty());

    fs::permissions(folder_.path(), fs::perms::owner_read | fs::perms::owner_exec);
    ExtractAll(file.string(), directory, folder_.path(), {});
    fs::permissions(folder_.path(), fs::perms::owner_all);
    EXPECT_TRUE(test::FolderNames(folder_.path()).empty());

    // A directory built by hand, not by the reader: still never joined to the folder.
    directory.entries[0].name = "../escaped";
    EXPECT_TRUE(Extract(file, directory).empty());
    EXPECT_FALSE(fs::exists(sandbox_.tmp() / "escaped"));
}

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
    EXPECT_THROW(ExtractionFolder(""), std::system_error);
    EXPECT_THROW(ExtractionFolder((sandbox.tmp() / "missing").string()), std::system_error);
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
    ExtractionFolder again(sandbox.tmp().string());
    again.Remove();
    again.Remove(); // removing twice is harmless
    EXPECT_FALSE(fs::exists(again.path()));
}

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
