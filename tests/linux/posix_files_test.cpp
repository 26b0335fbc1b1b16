// The POSIX file backend on the real file system: the kernel copy and the plain operations.
#include "fakes/package_bytes.h"
#include "platform/posix/kernel_copy.h"
#include "platform/posix/posix_file_system.h"
#include "support/sandbox.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kernova::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST(KernelCopy, FallsBackForAppendOnlyTargetsAndPipesAndRefusesAShortSource) {
    Sandbox sandbox;
    const std::string data = PatternBytes(1 << 20, 4);
    WriteFileBytes(sandbox.work() / "source", data);
    const int in = ::open((sandbox.work() / "source").c_str(), O_RDONLY);
    const fs::path target = sandbox.work() / "target";
    int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600); // no copy_file_range
    EXPECT_FALSE(posix::CopyBytes(in, 1000, out, 500000));
    ::close(out);
    EXPECT_TRUE(ReadFileBytes(target) == data.substr(1000, 500000));
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    EXPECT_FALSE(posix::CopyBytes(in, 5, pipeFds[1], 4000));
    std::string piped(4000, '\0');
    EXPECT_EQ(::read(pipeFds[0], piped.data(), piped.size()), 4000);
    EXPECT_EQ(piped, data.substr(5, 4000));
    out = ::open(target.c_str(), O_WRONLY | O_TRUNC);
    EXPECT_TRUE(posix::CopyBytes(in, std::int64_t(data.size()) - 10, out, 20));
    for (int fd : {in, out, pipeFds[0], pipeFds[1]}) {
        ::close(fd);
    }
}

TEST(PosixFileSystem, OpensOnlyRegularFilesAndNeverFollowsLinksOutOfAFolder) {
    Sandbox sandbox;
    posix::PosixFileSystem posixFiles;
    FileSystem& files = posixFiles;
    const fs::path work = sandbox.work();
    WriteFileBytes(work / "file", "bytes");
    fs::create_symlink(work / "file", work / "link");
    ASSERT_EQ(::mkfifo((work / "fifo").c_str(), 0600), 0);
    std::error_code ec;
    EXPECT_FALSE(files.Open((work / "fifo").string(), ec)); // not waited on
    EXPECT_EQ(ec, std::errc::invalid_argument);
    EXPECT_FALSE(files.Open(work.string(), ec));
    EXPECT_FALSE(files.Open((work / "link").string(), ec, Links::Refuse));
    EXPECT_EQ(files.Open((work / "link").string(), ec)->Size(), 5);
    EXPECT_TRUE(files.SameFile((work / "link").string(), (work / "file").string()));

    const std::string first = files.CreatePrivateFolder(sandbox.tmp().string(), ec);
    EXPECT_NE(files.CreatePrivateFolder(sandbox.tmp().string(), ec), first);
    EXPECT_EQ(fs::status(first).permissions(), fs::perms::owner_all);
    fs::create_directory_symlink(work, first + "/linked");
    EXPECT_FALSE(files.IsFolder(first + "/linked"));
    files.RemoveTree(first);
    EXPECT_FALSE(fs::exists(first));
    EXPECT_EQ(FolderNames(work), (Names{"fifo", "file", "link"}));
    EXPECT_TRUE(files.CreatePrivateFolder((work / "missing").string(), ec).empty() && ec);
}

} // namespace
} // namespace kernova::test
