#include "fonts/font_copy.h"

#include "support/sandbox.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::Sandbox;
using test::TestFont;
using test::WriteFileBytes;

class FontCopyTest : public ::testing::Test {
  protected:
    FontCopyTest() {
        fs::create_directories(target);
        source = TestFont("KernovaSampleSans-Regular.ttf").string();
    }

    // Every name in the target folder, hidden ones included.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(target)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // The names a font indexer would look at.
    std::vector<std::string> VisibleNames() const {
        std::vector<std::string> names = Names();
        names.erase(std::remove_if(names.begin(), names.end(),
                                   [](const std::string& name) { return name.front() == '.'; }),
                    names.end());
        return names;
    }

    std::string Folder() const { return target.string() + "/"; }

    Sandbox sandbox;
    fs::path target = sandbox.work() / "fonts";
    std::string source;
};

// Taken names are kept, links under them are never written through, and the font gets the
// first free name, byte for byte and readable by all.
TEST_F(FontCopyTest, TakenNamesAndLinksAreKeptAndTheFontGetsTheFirstFreeName) {
    WriteFileBytes(target / "Sans.ttf", "someone else's font");
    const fs::path elsewhere = sandbox.work() / "elsewhere.ttf";
    fs::create_symlink(elsewhere, target / "Sans_1.ttf"); // dangling: would create the file
    WriteFileBytes(sandbox.work() / "victim", "keep me");
    fs::create_symlink(sandbox.work() / "victim", target / "Sans_2.ttf");

    FontCopyResult result = CopyFontInto(source, Folder(), "Sans.ttf");

    ASSERT_FALSE(result.error) << result.error.message();
    EXPECT_EQ(result.fileName, "Sans_3.ttf");
    EXPECT_EQ(ReadFileBytes(target / "Sans.ttf"), "someone else's font");
    EXPECT_FALSE(fs::exists(elsewhere));
    EXPECT_TRUE(fs::is_symlink(target / "Sans_1.ttf"));
    EXPECT_EQ(ReadFileBytes(sandbox.work() / "victim"), "keep me");
    EXPECT_EQ(ReadFileBytes(target / "Sans_3.ttf"), ReadFileBytes(source));
    struct stat st {};
    ASSERT_EQ(::stat((target / "Sans_3.ttf").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

struct FailingCopy {
    const char* what;
    void (*setUp)(const fs::path& target, std::string& source);
};

class FontCopyFailureTest : public FontCopyTest,
                            public ::testing::WithParamInterface<FailingCopy> {};

// Each failure is reported and leaves nothing, not even a partial file.
TEST_P(FontCopyFailureTest, ReportsTheFailureAndLeavesNothing) {
    GetParam().setUp(target, source);
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (std::string(GetParam().what) == "write fails half way") {
        struct rlimit small = old;
        small.rlim_cur = 4096; // the file size limit
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    }

    FontCopyResult result = CopyFontInto(source, Folder(), "Sans.ttf");

    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(result.error);
    if (fs::exists(target)) {
        fs::permissions(target, fs::perms::owner_all, fs::perm_options::add);
        EXPECT_EQ(Names(), std::vector<std::string>{});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FontCopyFailureTest,
    ::testing::Values(FailingCopy{"unwritable folder",
                                  [](const fs::path& target, std::string&) {
                                      fs::permissions(target, fs::perms(0555));
                                  }},
                      FailingCopy{"missing source",
                                  [](const fs::path& target, std::string& source) {
                                      source = (target.parent_path() / "missing.ttf").string();
                                  }},
                      FailingCopy{"source is a folder",
                                  [](const fs::path& target, std::string& source) {
                                      source = target.parent_path().string();
                                  }},
                      FailingCopy{"missing folder",
                                  [](const fs::path& target, std::string&) { fs::remove(target); }},
                      FailingCopy{"write fails half way", [](const fs::path&, std::string&) {}}),
    [](const auto& info) {
        std::string name = info.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST_F(FontCopyTest, RejectsNamesThatLeaveTheFolder) {
    for (const char* name : {"", ".", "..", "../Sans.ttf", "sub/Sans.ttf"}) {
        EXPECT_TRUE(CopyFontInto(source, Folder(), name).error) << name;
    }
    EXPECT_TRUE(CopyFontInto(source, "", "Sans.ttf").error);
    EXPECT_EQ(Names(), std::vector<std::string>{});
}

TEST_F(FontCopyTest, GroupedFontsAppearOnlyOnceTheGroupIsOnDisk) {
    const std::string serif = TestFont("KernovaSampleSerif-Regular.ttf").string();
    FontDelivery delivery(Folder(), 2);
    const std::size_t first = delivery.Add(source, "Sans.ttf");
    EXPECT_TRUE(VisibleNames().empty()); // the group of two is not full yet
    const std::size_t second = delivery.Add(serif, "Serif.ttf");
    EXPECT_EQ(VisibleNames(), (std::vector<std::string>{"Sans.ttf", "Serif.ttf"}));
    const std::size_t third = delivery.Add(source, "Sans.ttf"); // the same name again
    EXPECT_EQ(VisibleNames().size(), 2u);

    delivery.Finish();

    EXPECT_EQ(delivery.result(first).fileName, "Sans.ttf");
    EXPECT_EQ(delivery.result(second).fileName, "Serif.ttf");
    EXPECT_EQ(delivery.result(third).fileName, "Sans_1.ttf");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Sans.ttf", "Sans_1.ttf", "Serif.ttf"}));
    EXPECT_EQ(ReadFileBytes(target / "Serif.ttf"), ReadFileBytes(serif));
    EXPECT_EQ(ReadFileBytes(target / "Sans_1.ttf"), ReadFileBytes(source));
}

TEST_F(FontCopyTest, AFailedFontDoesNotHoldUpTheOthersAndUndeliveredOnesAreDropped) {
    {
        FontDelivery delivery(Folder(), 8);
        const std::size_t missing =
            delivery.Add((sandbox.work() / "missing.ttf").string(), "A.ttf");
        const std::size_t present = delivery.Add(source, "B.ttf");
        delivery.Finish();
        EXPECT_TRUE(delivery.result(missing).error);
        EXPECT_FALSE(delivery.result(present).error);
        FontDelivery dropped(Folder());
        dropped.Add(source, "C.ttf");
    }
    EXPECT_EQ(Names(), std::vector<std::string>{"B.ttf"});
}

// A folder of its own in shared memory: another file system than the build tree.
class SharedMemoryFolder {
  public:
    SharedMemoryFolder() {
        std::string pattern = "/dev/shm/kernova-test-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) {
            path = pattern;
        }
    }
    ~SharedMemoryFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    SharedMemoryFolder(const SharedMemoryFolder&) = delete;
    SharedMemoryFolder& operator=(const SharedMemoryFolder&) = delete;
    fs::path path;
};

// An extracted font of our own on the same file system becomes the font itself (no second
// copy of its bytes); one with another name too, or on another file system, is copied.
enum class OwnFile { Alone, WithSecondName, OnAnotherFileSystem };

class OwnFileTest : public FontCopyTest, public ::testing::WithParamInterface<OwnFile> {};

TEST_P(OwnFileTest, IsAdoptedOnlyWhenAloneOnTheSameFileSystem) {
    SharedMemoryFolder shm;
    fs::path own = sandbox.work() / "extracted.ttf";
    if (GetParam() == OwnFile::OnAnotherFileSystem) {
        if (shm.path.empty()) {
            GTEST_SKIP() << "no /dev/shm";
        }
        own = shm.path / "extracted.ttf";
    }
    fs::copy_file(source, own);
    fs::permissions(own, fs::perms(0600));
    if (GetParam() == OwnFile::WithSecondName) {
        fs::create_hard_link(own, sandbox.work() / "second-name.ttf");
    }
    FontDelivery delivery(Folder());
    const std::size_t ticket = delivery.AddOwnFile(own.string(), "Sans.ttf");
    EXPECT_TRUE(VisibleNames().empty());
    delivery.Finish();

    ASSERT_FALSE(delivery.result(ticket).error);
    struct stat installed {};
    struct stat extracted {};
    ASSERT_EQ(::stat((target / "Sans.ttf").c_str(), &installed), 0);
    ASSERT_EQ(::stat(own.c_str(), &extracted), 0);
    EXPECT_EQ(installed.st_ino == extracted.st_ino, GetParam() == OwnFile::Alone);
    EXPECT_EQ(installed.st_mode & 07777, 0644u);
    EXPECT_EQ(ReadFileBytes(target / "Sans.ttf"), ReadFileBytes(source));
}

INSTANTIATE_TEST_SUITE_P(Kinds, OwnFileTest,
                         ::testing::Values(OwnFile::Alone, OwnFile::WithSecondName,
                                           OwnFile::OnAnotherFileSystem));

TEST(NumberedName, PutsTheNumberBeforeTheExtension) {
    EXPECT_EQ(NumberedName("Sans.ttf", 1), "Sans_1.ttf");
    EXPECT_EQ(NumberedName("a.b.TTF", 12), "a.b_12.TTF");
    EXPECT_EQ(NumberedName("fontTTF", 1), "fontTTF_1");
    EXPECT_EQ(NumberedName(".ttf", 1), ".ttf_1");
}

} // namespace
} // namespace kernova
