// The extract-only copies next to the executable and the clean-up of the extracted files.
#include "archive/extraction.h"
#include "support/archive_fixtures.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

namespace kernova {
namespace {

namespace fs = std::filesystem;

class ExtractedFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(extractPath());
        fs::create_directories(appPath());
        for (const std::string& name : names_) {
            test::WriteFileBytes(extractPath() + name, "bytes of " + name);
        }
    }
    std::string extractPath() const { return (sandbox_.tmp() / "extracted").string() + "/"; }
    std::string appPath() const { return (sandbox_.work() / "app").string() + "/"; }

    test::Sandbox sandbox_;
    std::vector<std::string> names_ = {"kernova.xml", "TOP.jpg", "LEFT.bmp", "a.ttf", "b.TTF"};
};

TEST_F(ExtractedFiles, ExtractFontsCopiesEveryListedFileReplacingLinks) {
    const fs::path victim = sandbox_.work() / "victim.ttf";
    test::WriteFileBytes(victim, "keep me");
    fs::create_symlink(victim, appPath() + "a.ttf");
    test::WriteFileBytes(appPath() + "b.TTF", std::string(5000, 'o')); // replaced
    test::WriteFileBytes(appPath() + "unlisted", "stays");
    ExtractFonts(names_, extractPath(), appPath());
    std::vector<std::string> expected = names_;
    expected.push_back("unlisted");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(test::FolderNames(appPath()), expected); // no temporary names left behind
    for (const std::string& name : names_) {
        EXPECT_EQ(test::ReadFileBytes(appPath() + name), "bytes of " + name);
    }
    EXPECT_FALSE(fs::is_symlink(appPath() + "a.ttf"));
    EXPECT_EQ(test::ReadFileBytes(victim), "keep me");
    EXPECT_EQ(test::FolderNames(extractPath()).size(), names_.size()); // copies, not moves
}

TEST_F(ExtractedFiles, ExtractFontsSkipsWhatFailsAndGoesOn) {
    fs::remove(extractPath() + "TOP.jpg");
    fs::create_directory(appPath() + "LEFT.bmp"); // cannot be replaced by a file
    ExtractFonts({"TOP.jpg", "LEFT.bmp", "a.ttf", "a.ttf", "../escape"}, extractPath(), appPath());
    EXPECT_EQ(test::FolderNames(appPath()), (std::vector<std::string>{"LEFT.bmp", "a.ttf"}));
    EXPECT_TRUE(fs::is_directory(appPath() + "LEFT.bmp"));
    EXPECT_EQ(test::ReadFileBytes(appPath() + "a.ttf"), "bytes of a.ttf");
    EXPECT_FALSE(fs::exists(sandbox_.work() / "escape"));

    fs::remove_all(appPath());
    fs::create_directory(appPath());
    fs::permissions(appPath(), fs::perms::owner_read | fs::perms::owner_exec);
    ExtractFonts(names_, extractPath(), appPath());
    fs::permissions(appPath(), fs::perms::owner_all);
    EXPECT_TRUE(test::FolderNames(appPath()).empty());
}

TEST_F(ExtractedFiles, KillFilesDeletesExactlyTheListedFilesInsideTheFolder) {
    test::WriteFileBytes(extractPath() + "a.ttf.bak", "not listed");
    test::WriteFileBytes(appPath() + "a.ttf", "copy next to the executable");
    fs::create_directory(extractPath() + "sub");
    test::WriteFileBytes(sandbox_.tmp() / "outside.ttf", "outside");
    const test::TreeSnapshot before = test::Snapshot(sandbox_.root());
    ExtractFonts({}, extractPath(), appPath());
    KillFiles({}, extractPath());
    EXPECT_EQ(test::Snapshot(sandbox_.root()), before); // an empty list does nothing

    // The second a.ttf is gone already; folders and paths leaving the folder stay.
    KillFiles({"a.ttf", "kernova.xml", "a.ttf", "sub", "../outside.ttf", "..", ""}, extractPath());
    EXPECT_EQ(test::FolderNames(extractPath()),
              (std::vector<std::string>{"LEFT.bmp", "TOP.jpg", "a.ttf.bak", "b.TTF", "sub"}));
    EXPECT_EQ(test::ReadFileBytes(appPath() + "a.ttf"), "copy next to the executable");
    EXPECT_TRUE(fs::exists(sandbox_.tmp() / "outside.ttf"));
    KillFiles(names_, extractPath());
    KillFiles(names_, extractPath()); // twice succeeds silently
    EXPECT_EQ(test::FolderNames(extractPath()), (std::vector<std::string>{"a.ttf.bak", "sub"}));
}

} // namespace
} // namespace kernova
