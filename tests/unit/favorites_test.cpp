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

struct IniCase {
    const char* name;
    std::string before;
    std::string after;
};

class SetIniKeyTest : public ::testing::TestWithParam<IniCase> {};

TEST_P(SetIniKeyTest, SetsOneKey) {
    EXPECT_EQ(SetIniKey(GetParam().before, "InternetShortcut", "URL", "https://new.example"),
              GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SetIniKeyTest,
    ::testing::Values(
        IniCase{"NewFile", "", "[InternetShortcut]\r\nURL=https://new.example\r\n"},
        IniCase{"ReplacesTheValue", "[InternetShortcut]\r\nURL=https://old.example\r\n",
                "[InternetShortcut]\r\nURL=https://new.example\r\n"},
        IniCase{"KeepsOtherKeysAndSections",
                "[Other]\r\nURL=keep\r\n[InternetShortcut]\r\nIconIndex=0\r\nURL=old\r\n"
                "IconFile=x.ico\r\n[Last]\r\nA=1\r\n",
                "[Other]\r\nURL=keep\r\n[InternetShortcut]\r\nIconIndex=0\r\n"
                "URL=https://new.example\r\nIconFile=x.ico\r\n[Last]\r\nA=1\r\n"},
        IniCase{"NamesMatchWithoutRegardToCase", "[internetshortcut]\r\nurl = old\r\n",
                "[internetshortcut]\r\nURL=https://new.example\r\n"},
        IniCase{"AddsTheKeyAtTheEndOfItsSection",
                "[InternetShortcut]\r\nIconIndex=0\r\n\r\n[Other]\r\nB=2\r\n",
                "[InternetShortcut]\r\nIconIndex=0\r\nURL=https://new.example\r\n\r\n"
                "[Other]\r\nB=2\r\n"},
        IniCase{"AddsTheSectionAtTheEnd", "; comment\r\n[Other]\r\nB=2",
                "; comment\r\n[Other]\r\nB=2\r\n[InternetShortcut]\r\n"
                "URL=https://new.example\r\n"},
        IniCase{"LfFileGetsCrLf", "[InternetShortcut]\nIconIndex=0\nURL=old\n",
                "[InternetShortcut]\r\nIconIndex=0\r\nURL=https://new.example\r\n"},
        IniCase{"FirstOfDuplicateKeys", "[InternetShortcut]\r\nURL=a\r\nURL=b\r\n",
                "[InternetShortcut]\r\nURL=https://new.example\r\nURL=b\r\n"},
        IniCase{"SectionHeaderLast", "[InternetShortcut]",
                "[InternetShortcut]\r\nURL=https://new.example\r\n"},
        IniCase{"KeyWithSimilarNameIsAnotherKey", "[InternetShortcut]\r\nURLX=1\r\n",
                "[InternetShortcut]\r\nURLX=1\r\nURL=https://new.example\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

class IniFileTest : public ::testing::Test {
  protected:
    test::Sandbox sandbox;
    fs::path folder = sandbox.work() / "ini";
    fs::path file = folder / "entry.url";

    void SetUp() override { fs::create_directories(folder); }
};

TEST_F(IniFileTest, CreatesANewFile) {
    ASSERT_FALSE(WriteIniFile("InternetShortcut", "URL", "https://example.org", file.string()));
    EXPECT_EQ(ReadFileBytes(file), "[InternetShortcut]\r\nURL=https://example.org\r\n");
    EXPECT_EQ(FolderContents(folder), std::vector<std::string>{"entry.url"});
}

TEST_F(IniFileTest, ReplacesTheKeyAndKeepsTheRestAndThePermissions) {
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

TEST_F(IniFileTest, MissingFolderWritesNothing) {
    EXPECT_TRUE(WriteIniFile("S", "K", "V", (folder / "missing" / "x.url").string()));
    EXPECT_TRUE(FolderContents(folder).empty());
}

TEST_F(IniFileTest, FolderUnderTheNameIsLeftAlone) {
    fs::create_directory(file);
    EXPECT_TRUE(WriteIniFile("S", "K", "V", file.string()));
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_EQ(FolderContents(folder), std::vector<std::string>{"entry.url"});
}

struct BadIniInput {
    const char* name;
    std::string section, key, value;
};

class BadIniInputTest : public IniFileTest, public ::testing::WithParamInterface<BadIniInput> {};

TEST_P(BadIniInputTest, WritesNothing) {
    WriteFileBytes(file, "[InternetShortcut]\r\nURL=old\r\n");
    EXPECT_EQ(WriteIniFile(GetParam().section, GetParam().key, GetParam().value, file.string()),
              std::errc::invalid_argument);
    EXPECT_EQ(ReadFileBytes(file), "[InternetShortcut]\r\nURL=old\r\n");
    EXPECT_EQ(FolderContents(folder), std::vector<std::string>{"entry.url"});
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, BadIniInputTest,
    ::testing::Values(BadIniInput{"LineBreakInValue", "InternetShortcut", "URL",
                                  "https://x\r\n[Evil]\r\nA=1"},
                      BadIniInput{"LfInValue", "InternetShortcut", "URL", "a\nb"},
                      BadIniInput{"NulInValue", "InternetShortcut", "URL", std::string("a\0b", 3)},
                      BadIniInput{"EqualsInKey", "InternetShortcut", "U=RL", "v"},
                      BadIniInput{"BracketInSection", "Internet]Shortcut", "URL", "v"},
                      BadIniInput{"EmptyKey", "InternetShortcut", "", "v"},
                      BadIniInput{"EmptySection", "", "URL", "v"}),
    [](const auto& info) { return std::string(info.param.name); });

class AddFavoriteTest : public ::testing::Test {
  protected:
    test::Sandbox sandbox;
    fs::path favorites = sandbox.favoritesDir();

    // Everything in the user's data folder except the fonts folder the sandbox makes.
    std::vector<std::string> DataHomeContents() {
        std::vector<std::string> all = FolderContents(sandbox.dataHome());
        std::erase(all, "fonts");
        return all;
    }
};

TEST_F(AddFavoriteTest, WritesTheShortcut) {
    EXPECT_EQ(AddFavorite("Foo", "https://example.org/foo"), "");
    EXPECT_EQ(ReadFileBytes(favorites / "Foo.url"),
              "[InternetShortcut]\r\nURL=https://example.org/foo\r\n");
}

TEST_F(AddFavoriteTest, SecondPackageWithTheSameTitleReplacesTheAddress) {
    fs::create_directories(favorites);
    WriteFileBytes(favorites / "Foo.url",
                   "[InternetShortcut]\r\nURL=https://old.example\r\nIconIndex=1\r\n");
    AddFavorite("Foo", "https://new.example");
    EXPECT_EQ(ReadFileBytes(favorites / "Foo.url"),
              "[InternetShortcut]\r\nURL=https://new.example\r\nIconIndex=1\r\n");
}

TEST_F(AddFavoriteTest, BackslashNamesAnExistingSubfolder) {
    fs::create_directories(favorites / "Fonts");
    AddFavorite("Fonts\\Foo", "https://example.org");
    EXPECT_EQ(ReadFileBytes(favorites / "Fonts" / "Foo.url"),
              "[InternetShortcut]\r\nURL=https://example.org\r\n");
}

TEST_F(AddFavoriteTest, TitleWithCharactersOtherPlatformsForbidIsFineHere) {
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

class UnsafeTitleTest : public AddFavoriteTest,
                        public ::testing::WithParamInterface<std::string> {};

TEST_P(UnsafeTitleTest, WritesNothingAndReportsNothing) {
    EXPECT_EQ(AddFavorite(GetParam(), "https://example.org"), "");
    EXPECT_TRUE(FolderContents(favorites).empty());
    EXPECT_EQ(DataHomeContents(), std::vector<std::string>{"Favorites"});
    EXPECT_TRUE(FolderContents(sandbox.work()).empty());
}

INSTANTIATE_TEST_SUITE_P(Titles, UnsafeTitleTest,
                         ::testing::Values("", "Missing\\Foo", "..\\Foo", "..", ".", "Sub\\..\\Foo",
                                           "\\Foo", "/Foo", "Foo\\", "A\\\\Foo", "A//Foo",
                                           std::string("Fo\0o", 4), "../../work/Foo"));

} // namespace
} // namespace kernova
