// The INI writer and the Favorites entry.
#include "support/sandbox.h"
#include "support/wizard_package.h"
#include "ui/favorites.h"
#include "ui/ini_file.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using test::FolderContents;
using test::ReadFileBytes;
using test::WriteFileBytes;

TEST(SetIniKey, SetsOneKeyAndKeepsTheRest) {
    const std::pair<std::string, std::string> cases[] = {
        // Replaces the value, keeps other keys and sections.
        {"[Other]\r\nURL=keep\r\n[InternetShortcut]\r\nIconIndex=0\r\nURL=old\r\n"
         "IconFile=x.ico\r\n[Last]\r\nA=1\r\n",
         "[Other]\r\nURL=keep\r\n[InternetShortcut]\r\nIconIndex=0\r\n"
         "URL=https://new.example\r\nIconFile=x.ico\r\n[Last]\r\nA=1\r\n"},
        // Names match without regard to case.
        {"[internetshortcut]\r\nurl = old\r\n",
         "[internetshortcut]\r\nURL=https://new.example\r\n"},
        // A key with a similar name is another key; the new one ends its section.
        {"[InternetShortcut]\r\nURLX=1\r\n\r\n[Other]\r\nB=2\r\n",
         "[InternetShortcut]\r\nURLX=1\r\nURL=https://new.example\r\n\r\n[Other]\r\nB=2\r\n"},
        // A missing section is added at the end.
        {"; comment\r\n[Other]\r\nB=2",
         "; comment\r\n[Other]\r\nB=2\r\n[InternetShortcut]\r\nURL=https://new.example\r\n"},
        // LF line ends become CR LF.
        {"[InternetShortcut]\nIconIndex=0\nURL=old\n",
         "[InternetShortcut]\r\nIconIndex=0\r\nURL=https://new.example\r\n"},
        // Only the first of duplicate keys changes.
        {"[InternetShortcut]\r\nURL=a\r\nURL=b\r\n",
         "[InternetShortcut]\r\nURL=https://new.example\r\nURL=b\r\n"},
        {"[InternetShortcut]", "[InternetShortcut]\r\nURL=https://new.example\r\n"},
    };
    for (const auto& [before, after] : cases) {
        EXPECT_EQ(SetIniKey(before, "InternetShortcut", "URL", "https://new.example"), after)
            << before;
    }
}

class IniFileTest : public ::testing::Test {
  protected:
    test::Sandbox sandbox;
    fs::path folder = sandbox.work() / "ini";
    fs::path file = folder / "entry.url";

    void SetUp() override { fs::create_directories(folder); }
};

TEST_F(IniFileTest, CreatesOrUpdatesTheFileKeepingItsPermissions) {
    ASSERT_FALSE(WriteIniFile("InternetShortcut", "URL", "https://example.org", file.string()));
    EXPECT_EQ(ReadFileBytes(file), "[InternetShortcut]\r\nURL=https://example.org\r\n");
    WriteFileBytes(file, "[InternetShortcut]\r\nURL=old\r\nIconIndex=3\r\n");
    ::chmod(file.c_str(), 0640);
    ASSERT_FALSE(WriteIniFile("InternetShortcut", "URL", "new", file.string()));
    EXPECT_EQ(ReadFileBytes(file), "[InternetShortcut]\r\nURL=new\r\nIconIndex=3\r\n");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(FolderContents(folder), std::vector<std::string>{"entry.url"});
}

TEST_F(IniFileTest, LinkUnderTheNameIsReplacedNeverFollowed) {
    const fs::path elsewhere = sandbox.work() / "elsewhere.txt";
    WriteFileBytes(elsewhere, "[InternetShortcut]\r\nSecret=1\r\n");
    fs::create_symlink(elsewhere, file);
    ASSERT_FALSE(WriteIniFile("InternetShortcut", "URL", "new", file.string()));
    EXPECT_FALSE(fs::is_symlink(file));
    EXPECT_EQ(ReadFileBytes(file), "[InternetShortcut]\r\nURL=new\r\n");
    EXPECT_EQ(ReadFileBytes(elsewhere), "[InternetShortcut]\r\nSecret=1\r\n");
}

TEST_F(IniFileTest, MissingFolderOrAFolderUnderTheNameWritesNothing) {
    EXPECT_TRUE(WriteIniFile("S", "K", "V", (folder / "missing" / "x.url").string()));
    fs::create_directory(file);
    EXPECT_TRUE(WriteIniFile("S", "K", "V", file.string()));
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_EQ(FolderContents(folder), std::vector<std::string>{"entry.url"});
}

TEST_F(IniFileTest, InputThatWouldBreakTheFileWritesNothing) {
    WriteFileBytes(file, "[InternetShortcut]\r\nURL=old\r\n");
    const std::string inputs[][3] = {{"InternetShortcut", "URL", "https://x\r\n[Evil]\r\nA=1"},
                                     {"InternetShortcut", "URL", "a\nb"},
                                     {"InternetShortcut", "URL", std::string("a\0b", 3)},
                                     {"InternetShortcut", "U=RL", "v"},
                                     {"Internet]Shortcut", "URL", "v"},
                                     {"InternetShortcut", "", "v"},
                                     {"", "URL", "v"}};
    for (const auto& [section, key, value] : inputs) {
        EXPECT_EQ(WriteIniFile(section, key, value, file.string()), std::errc::invalid_argument)
            << section << " " << key << " " << value;
    }
    EXPECT_EQ(ReadFileBytes(file), "[InternetShortcut]\r\nURL=old\r\n");
    EXPECT_EQ(FolderContents(folder), std::vector<std::string>{"entry.url"});
}

class AddFavoriteTest : public ::testing::Test {
  protected:
    test::Sandbox sandbox;
    fs::path favorites = sandbox.favoritesDir();
};

TEST_F(AddFavoriteTest, WritesOrUpdatesTheShortcutAlsoInAnExistingSubfolder) {
    EXPECT_EQ(AddFavorite("Foo", "https://old.example"), "");
    EXPECT_EQ(ReadFileBytes(favorites / "Foo.url"),
              "[InternetShortcut]\r\nURL=https://old.example\r\n");
    // A second package with the same title replaces the address and keeps the rest.
    WriteFileBytes(favorites / "Foo.url",
                   "[InternetShortcut]\r\nURL=https://old.example\r\nIconIndex=1\r\n");
    AddFavorite("Foo", "https://new.example");
    EXPECT_EQ(ReadFileBytes(favorites / "Foo.url"),
              "[InternetShortcut]\r\nURL=https://new.example\r\nIconIndex=1\r\n");
    fs::create_directories(favorites / "Fonts");
    AddFavorite("Fonts\\Foo", "https://example.org");
    EXPECT_EQ(ReadFileBytes(favorites / "Fonts" / "Foo.url"),
              "[InternetShortcut]\r\nURL=https://example.org\r\n");
    // Characters other platforms forbid in names are fine here.
    AddFavorite("Foo: the \"best\" fonts?", "https://example.org");
    EXPECT_TRUE(fs::exists(favorites / "Foo: the \"best\" fonts?.url"));
}

TEST_F(AddFavoriteTest, SubfolderThatIsALinkWritesNothing) {
    fs::create_directories(favorites);
    fs::create_directories(sandbox.work() / "outside");
    fs::create_directory_symlink(sandbox.work() / "outside", favorites / "Fonts");
    AddFavorite("Fonts\\Foo", "https://example.org");
    EXPECT_TRUE(FolderContents(sandbox.work() / "outside").empty());
}

TEST_F(AddFavoriteTest, UnsafeTitleWritesNothingAndReportsNothing) {
    for (const std::string& title : std::vector<std::string>{
             "", "Missing\\Foo", "..\\Foo", "..", ".", "Sub\\..\\Foo", "\\Foo", "/Foo", "Foo\\",
             "A\\\\Foo", "A//Foo", std::string("Fo\0o", 4), "../../work/Foo"}) {
        EXPECT_EQ(AddFavorite(title, "https://example.org"), "") << title;
    }
    EXPECT_TRUE(FolderContents(favorites).empty());
    std::vector<std::string> dataHome = FolderContents(sandbox.dataHome());
    std::erase(dataHome, "fonts"); // the sandbox's own fonts folder
    EXPECT_EQ(dataHome, std::vector<std::string>{"Favorites"});
    EXPECT_TRUE(FolderContents(sandbox.work()).empty());
}

} // namespace
} // namespace kernova
