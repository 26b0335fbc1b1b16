#include "archive/text_routines.h"
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
using test::MacFullName;
using test::NameRecord;
using test::ReadFileBytes;
using test::TestFont;
using test::Utf16Be;
using test::WindowsFullName;
using test::WriteFileBytes;

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

TEST(GetFontName, TestFontsAndCollectionsGiveTheFullNameFontconfigLists) {
    test::Sandbox sandbox;
    const fs::path collection = sandbox.work() / "Family.ttc";
    WriteFileBytes(collection, test::MakeCollection(
                                   {ReadFileBytes(TestFont("KernovaSampleSans-Bold.ttf")),
                                    ReadFileBytes(TestFont("KernovaSampleSans-Regular.ttf"))}));
    const std::pair<fs::path, const char*> cases[] = {
        {TestFont("KernovaSampleSans-Regular.ttf"), "Kernova Sample Sans"},
        {TestFont("KernovaSampleSans-Bold.ttf"), "Kernova Sample Sans Bold"},
        {TestFont("KernovaSampleSerif-Regular.ttf"), "Kernova Sample Serif"},
        {TestFont("KernovaSampleMono-Regular.ttf"), "Kernova Sample Mono"},
        {TestFont("KernovaSpaced-Regular.ttf"), "  Kernova Spaced  "},
        {collection, "Kernova Sample Sans Bold"}}; // a collection gives its first face
    for (const auto& [file, expected] : cases) {
        const std::string name = GetFontName(file.string());
        EXPECT_EQ(name, expected);
        const std::vector<std::string> listed = FontconfigFullNames(file);
        ASSERT_FALSE(listed.empty()) << file;
        // fontconfig keeps names trimmed; the face name comes back as written.
        EXPECT_EQ(TrimSpaces(name), listed.front());
    }
}

// Fonts whose name tables hold particular records: the record picked and decoded as
// fontconfig does.
TEST(GetFontName, PicksTheRecordAndDecodesItAsFontconfigDoes) {
    const NameRecord family{3, 1, 0x409, 1, Utf16Be("Kernova Custom")};
    const NameRecord style{3, 1, 0x409, 2, Utf16Be("Bold")};
    const struct {
        std::vector<NameRecord> records;
        std::string expected;
        bool fontconfigFirst = true; // otherwise: among its full names
    } cases[] = {
        {{MacFullName("Mac Name"), WindowsFullName("Windows Name")}, "Windows Name"},
        {{family, MacFullName("Mac Only")}, "Mac Only"},
        {{WindowsFullName("British", 0x809), WindowsFullName("American", 0x409)}, "American"},
        {{WindowsFullName("Australian", 0x0C09), MacFullName("Mac")}, "Australian"},
        {{WindowsFullName("Deutsch", 0x407), WindowsFullName("British", 0x809)}, "British", false},
        {{family, WindowsFullName("Nur Deutsch", 0x407)}, "Nur Deutsch"},
        {{family, style}, "Kernova Custom Bold"}, // no full name: family and style
        {{WindowsFullName("Kernova \xC3\x9Cn\xC3\xAF \xF0\x9D\x84\x9E")},
         "Kernova \xC3\x9Cn\xC3\xAF \xF0\x9D\x84\x9E"},
        {{family, MacFullName("Kernova Caf\x8E \xA5 \xDB")},
         "Kernova Caf\xC3\xA9 \xE2\x80\xA2 \xE2\x82\xAC"},
        // fontconfig reads a Roman record with this many high bytes as Shift-JIS; the name
        // is then the one fontconfig makes.
        {{family, MacFullName("Caf\x8E \xA5 \xDB")}, "Kernova Custom Regular"},
        {{{3, 1, 0x409, 4, Utf16Be("Broken") + "x"}, MacFullName("Mac Fallback")}, "Mac Fallback"},
        {{{3, 1, 0x409, 4, std::string("\xD8\x01\x00\x41", 4)},
          WindowsFullName("Other English", 0x809)},
         "Other English"},
        {{WindowsFullName("    "), MacFullName("Mac Real")}, "Mac Real"},
        {{{3, 1, 0x409, 4, Utf16Be("Before") + std::string(2, '\0') + Utf16Be("After")}}, "Before"},
        {{{3, 0, 0x409, 4, Utf16Be("Symbolic")}}, "Symbolic"},
        {{WindowsFullName(" Padded  ")}, " Padded  "},
        {{}, ""},
    };
    test::Sandbox sandbox;
    const fs::path file = sandbox.work() / "Custom.ttf";
    const std::string font = ReadFileBytes(TestFont("KernovaSampleSans-Regular.ttf"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        WriteFileBytes(file, test::WithNameTable(font, c.records));
        EXPECT_EQ(GetFontName(file.string()), c.expected);
        const std::vector<std::string> listed = FontconfigFullNames(file);
        if (c.expected.empty()) {
            continue;
        }
        ASSERT_FALSE(listed.empty());
        if (c.fontconfigFirst) {
            EXPECT_EQ(listed.front(), TrimSpaces(c.expected));
        } else {
            EXPECT_NE(std::find(listed.begin(), listed.end(), TrimSpaces(c.expected)),
                      listed.end());
        }
    }
}

// Anything that is not a usable font has no name.
TEST(GetFontName, WhatIsNoUsableFontHasNoName) {
    test::Sandbox sandbox;
    EXPECT_EQ(GetFontName((sandbox.work() / "Absent.ttf").string()), "");
    EXPECT_EQ(GetFontName(""), "");
    EXPECT_EQ(GetFontName(sandbox.work().string()), "");
    const fs::path fifo = sandbox.work() / "Pipe.ttf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(GetFontName(fifo.string()), "") << "a FIFO is not waited on";

    const std::string font = ReadFileBytes(TestFont("KernovaSampleSans-Regular.ttf"));
    std::mt19937 random(4711);
    std::string noise(64 * 1024, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random() & 0xFF);
    }
    std::string farTable = font;
    farTable[12 + 8] = '\x7F'; // the first table's offset, now far beyond the file
    std::vector<std::string> contents = {"", noise, "<Title>Not a font</Title>\r\n", farTable};
    for (std::size_t size : {std::size_t{4}, std::size_t{12}, std::size_t{100}, std::size_t{1000},
                             font.size() / 2, font.size() - 4}) {
        contents.push_back(font.substr(0, size)); // truncated anywhere
    }
    const fs::path file = sandbox.work() / "Bad.ttf";
    for (const std::string& bytes : contents) {
        WriteFileBytes(file, bytes);
        EXPECT_EQ(GetFontName(file.string()), "") << bytes.size() << " bytes";
    }
    std::error_code ec;
    WriteFileBytes(file, "");
    fs::resize_file(file, std::uintmax_t{4} << 30, ec); // sparse zeros: no disk is used
    if (!ec) {
        EXPECT_EQ(GetFontName(file.string()), "");
    }
}

TEST(AddBackslash, AppendsOneSeparatorInPlace) {
    const std::pair<std::string, std::string> cases[] = {{"", ""},
                                                         {"/", "/"},
                                                         {"/usr/fonts", "/usr/fonts/"},
                                                         {"/usr/fonts/", "/usr/fonts/"},
                                                         {"fonts//", "fonts//"},
                                                         {"C:\\Fonts\\", "C:\\Fonts\\/"},
                                                         {"relative", "relative/"}};
    for (auto [path, expected] : cases) {
        EXPECT_EQ(&AddBackslash(path), &path);
        EXPECT_EQ(path, expected);
    }
}

} // namespace
} // namespace kernova
