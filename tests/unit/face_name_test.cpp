#include "fonts/face_name.h"
#include "support/name_table_font.h"
#include "support/sandbox.h"

#include <algorithm>
#include <filesystem>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TestFont;
using test::WriteFileBytes;

std::string TrimSpaces(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string()
                                      : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Every full name fontconfig gives the first face of the file, its preferred one first.
std::vector<std::string> FontconfigFullNames(const fs::path& file) {
    int count = 0;
    FcPattern* pattern =
        FcFreeTypeQuery(reinterpret_cast<const FcChar8*>(file.c_str()), 0, nullptr, &count);
    std::vector<std::string> names;
    FcChar8* name = nullptr;
    for (int i = 0; pattern && FcPatternGetString(pattern, FC_FULLNAME, i, &name) == FcResultMatch;
         ++i) {
        names.emplace_back(reinterpret_cast<const char*>(name));
    }
    if (pattern) {
        FcPatternDestroy(pattern);
    }
    return names;
}

struct StandardFont {
    const char* file;
    const char* name;
};

class StandardFontName : public ::testing::TestWithParam<StandardFont> {};

TEST_P(StandardFontName, IsTheFullNameFontconfigLists) {
    const fs::path file = TestFont(GetParam().file);
    const std::string name = GetFontName(file.string());
    EXPECT_EQ(name, GetParam().name);
    const std::vector<std::string> listed = FontconfigFullNames(file);
    ASSERT_FALSE(listed.empty());
    // fontconfig keeps names trimmed; the face name comes back as written.
    EXPECT_EQ(TrimSpaces(name), listed.front());
    EXPECT_EQ(GetFontName(file.string()), name) << "the same file gives the same name";
}

INSTANTIATE_TEST_SUITE_P(
    TestFonts, StandardFontName,
    ::testing::Values(StandardFont{"KernovaSampleSans-Regular.ttf", "Kernova Sample Sans"},
                      StandardFont{"KernovaSampleSans-Bold.ttf", "Kernova Sample Sans Bold"},
                      StandardFont{"KernovaSampleSerif-Regular.ttf", "Kernova Sample Serif"},
                      StandardFont{"KernovaSampleMono-Regular.ttf", "Kernova Sample Mono"},
                      StandardFont{"KernovaSpaced-Regular.ttf", "  Kernova Spaced  "}));

// Fonts whose name tables hold particular records.
struct NameTableCase {
    const char* label;
    std::vector<test::NameRecord> records;
    std::string expected;
    // fontconfig lists the name first (otherwise: among its full names).
    bool fontconfigFirst = true;
};

using test::MacFullName;
using test::NameRecord;
using test::Utf16Be;
using test::WindowsFullName;

class NameTableChoice : public ::testing::TestWithParam<NameTableCase> {
  protected:
    test::Sandbox sandbox;
};

TEST_P(NameTableChoice, PicksTheRecordAndDecodesItAsFontconfigDoes) {
    const NameTableCase& c = GetParam();
    const fs::path file = sandbox.work() / "Custom.ttf";
    WriteFileBytes(file, test::WithNameTable(
                             ReadFileBytes(TestFont("KernovaSampleSans-Regular.ttf")), c.records));
    EXPECT_EQ(GetFontName(file.string()), c.expected);
    const std::vector<std::string> listed = FontconfigFullNames(file);
    if (c.expected.empty()) {
        return;
    }
    ASSERT_FALSE(listed.empty());
    if (c.fontconfigFirst) {
        EXPECT_EQ(listed.front(), TrimSpaces(c.expected));
    } else {
        EXPECT_NE(std::find(listed.begin(), listed.end(), TrimSpaces(c.expected)), listed.end());
    }
}

const NameRecord kFamily{3, 1, 0x409, 1, Utf16Be("Kernova Custom")};
const NameRecord kStyle{3, 1, 0x409, 2, Utf16Be("Bold")};

INSTANTIATE_TEST_SUITE_P(
    Records, NameTableChoice,
    ::testing::Values(
        NameTableCase{"WindowsBeforeMac",
                      {MacFullName("Mac Name"), WindowsFullName("Windows Name")},
                      "Windows Name"},
        NameTableCase{"MacOnly", {kFamily, MacFullName("Mac Only")}, "Mac Only"},
        NameTableCase{"UsEnglishBeforeOtherEnglish",
                      {WindowsFullName("British", 0x809), WindowsFullName("American", 0x409)},
                      "American"},
        NameTableCase{"OtherEnglishBeforeMac",
                      {WindowsFullName("Australian", 0x0C09), MacFullName("Mac")},
                      "Australian"},
        NameTableCase{"EnglishBeforeOtherLanguages",
                      {WindowsFullName("Deutsch", 0x407), WindowsFullName("British", 0x809)},
                      "British",
                      false},
        NameTableCase{
            "OnlyAnotherLanguage", {kFamily, WindowsFullName("Nur Deutsch", 0x407)}, "Nur Deutsch"},
        NameTableCase{"NoFullNameFamilyAndStyle", {kFamily, kStyle}, "Kernova Custom Bold"},
        NameTableCase{"NonAsciiAndSurrogatePair",
                      {WindowsFullName("Kernova \xC3\x9Cn\xC3\xAF \xF0\x9D\x84\x9E")},
                      "Kernova \xC3\x9Cn\xC3\xAF \xF0\x9D\x84\x9E"},
        NameTableCase{"MacRomanHighBytes",
                      {kFamily, MacFullName("Kernova Caf\x8E \xA5 \xDB")},
                      "Kernova Caf\xC3\xA9 \xE2\x80\xA2 \xE2\x82\xAC"},
        // fontconfig reads a Roman record with this many high bytes as Shift-JIS; the name
        // is then the one fontconfig makes.
        NameTableCase{"MacNameLookingLikeShiftJis",
                      {kFamily, MacFullName("Caf\x8E \xA5 \xDB")},
                      "Kernova Custom Regular"},
        NameTableCase{"OddLengthUtf16Skipped",
                      {{3, 1, 0x409, 4, Utf16Be("Broken") + "x"}, MacFullName("Mac Fallback")},
                      "Mac Fallback"},
        NameTableCase{"LoneHighSurrogateSkipped",
                      {{3, 1, 0x409, 4, std::string("\xD8\x01\x00\x41", 4)},
                       WindowsFullName("Other English", 0x809)},
                      "Other English"},
        NameTableCase{
            "BlankNameSkipped", {WindowsFullName("    "), MacFullName("Mac Real")}, "Mac Real"},
        NameTableCase{
            "NameEndsAtNul",
            {{3, 1, 0x409, 4, Utf16Be("Before") + std::string(2, '\0') + Utf16Be("After")}},
            "Before"},
        NameTableCase{"SymbolEncoding", {{3, 0, 0x409, 4, Utf16Be("Symbolic")}}, "Symbolic"},
        NameTableCase{"SpacesKept", {WindowsFullName(" Padded  ")}, " Padded  "},
        NameTableCase{"NoNamesAtAll", {}, ""}),
    [](const ::testing::TestParamInfo<NameTableCase>& info) {
        return std::string(info.param.label);
    });

TEST(GetFontName, CollectionGivesItsFirstFace) {
    test::Sandbox sandbox;
    const fs::path file = sandbox.work() / "Family.ttc";
    WriteFileBytes(
        file, test::MakeCollection({ReadFileBytes(TestFont("KernovaSampleSans-Bold.ttf")),
                                    ReadFileBytes(TestFont("KernovaSampleSans-Regular.ttf"))}));
    EXPECT_EQ(GetFontName(file.string()), "Kernova Sample Sans Bold");
    EXPECT_EQ(FontconfigFullNames(file).front(), "Kernova Sample Sans Bold");
}

// Anything that is not a usable font has no name.
class NoFontName : public ::testing::Test {
  protected:
    std::string NameOf(const std::string& bytes) {
        const fs::path file = sandbox.work() / "Bad.ttf";
        WriteFileBytes(file, bytes);
        return GetFontName(file.string());
    }
    std::string Font() { return ReadFileBytes(TestFont("KernovaSampleSans-Regular.ttf")); }
    test::Sandbox sandbox;
};

TEST_F(NoFontName, MissingFile) {
    EXPECT_EQ(GetFontName((sandbox.work() / "Absent.ttf").string()), "");
    EXPECT_EQ(GetFontName(""), "");
}

TEST_F(NoFontName, EmptyFile) {
    EXPECT_EQ(NameOf(""), "");
}

TEST_F(NoFontName, Folder) {
    EXPECT_EQ(GetFontName(sandbox.work().string()), "");
}

TEST_F(NoFontName, FifoIsNotWaitedOn) {
    const fs::path fifo = sandbox.work() / "Pipe.ttf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(GetFontName(fifo.string()), "");
}

TEST_F(NoFontName, RandomBytes) {
    std::mt19937 random(4711);
    std::string bytes(64 * 1024, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xFF);
    }
    EXPECT_EQ(NameOf(bytes), "");
}

TEST_F(NoFontName, TextFile) {
    EXPECT_EQ(NameOf("<Title>Not a font</Title>\r\n"), "");
}

TEST_F(NoFontName, TruncatedAnywhere) {
    const std::string font = Font();
    for (std::size_t size : {std::size_t{4}, std::size_t{12}, std::size_t{100}, std::size_t{1000},
                             font.size() / 2, font.size() - 4}) {
        EXPECT_EQ(NameOf(font.substr(0, size)), "") << "cut to " << size << " bytes";
    }
}

TEST_F(NoFontName, HugeFileOfZeros) {
    const fs::path file = sandbox.work() / "Huge.ttf";
    WriteFileBytes(file, "");
    std::error_code ec;
    fs::resize_file(file, std::uintmax_t{4} << 30, ec); // sparse: no disk is used
    if (ec) {
        GTEST_SKIP() << "cannot make a sparse file here: " << ec.message();
    }
    EXPECT_EQ(GetFontName(file.string()), "");
}

TEST_F(NoFontName, TableOffsetPastTheEnd) {
    std::string font = Font();
    font[12 + 8] = '\x7F'; // the first table's offset, now far beyond the file
    EXPECT_EQ(NameOf(font), "");
}

struct BackslashCase {
    std::string path;
    std::string expected;
};

class AddBackslashCases : public ::testing::TestWithParam<BackslashCase> {};

TEST_P(AddBackslashCases, AppendsOneSeparatorInPlace) {
    std::string path = GetParam().path;
    std::string& result = AddBackslash(path);
    EXPECT_EQ(&result, &path);
    EXPECT_EQ(path, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Paths, AddBackslashCases,
                         ::testing::Values(BackslashCase{"", ""}, BackslashCase{"/", "/"},
                                           BackslashCase{"/usr/share/fonts", "/usr/share/fonts/"},
                                           BackslashCase{"/usr/share/fonts/", "/usr/share/fonts/"},
                                           BackslashCase{"fonts//", "fonts//"},
                                           BackslashCase{"C:\\Fonts\\", "C:\\Fonts\\/"},
                                           BackslashCase{"relative", "relative/"}));

} // namespace
} // namespace kernova
