// The cmap reader and the renamed copy on fonts made by fontTools (tools/testfonts): what
// fontTools wrote is what is read.
#include "fonts/sfnt_cmap.h"
#include "fonts/sfnt_full_name.h"
#include "fonts/sfnt_renamed_face.h"
#include "platform/posix/posix_input_file.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

namespace kernova::test {
namespace {

std::unique_ptr<InputFile> OpenFont(const std::filesystem::path& path) {
    std::error_code ec;
    std::unique_ptr<InputFile> file = posix::PosixInputFile::Open(path.string(), ec, Links::Follow);
    EXPECT_TRUE(file) << path;
    return file;
}

TEST(SfntTestFonts, TheCmapReaderFindsWhatEachFontMaps) {
    // File, face, code points it maps, code points it does not, how many it maps.
    const std::tuple<const char*, std::uint32_t, std::u32string, std::u32string, std::size_t>
        cases[] = {
            {"KernovaSampleSans-Regular.ttf", 0, U" AZaz~\u00A0\u00FF", U"\u0100\u0627", 191},
            {"KernovaPair.ttc", 0, U"Az\u00E9", U"\u0627", 191},
            {"KernovaPair.ttc", 1, U"Az\u00E9", U"\u0627", 191},
            {"KernovaArabic-Regular.ttf", 0, U" \u0627\u0628\u0661", U"Aa1", 166},
            {"KernovaHan-Regular.ttf", 0, U"天地一万", U"Aa\u3042", 30},
            {"KernovaIcons-Regular.ttf", 0, U"\uE000\uE01F", U"A\uE020", 33},
        };
    for (const auto& [font, face, mapped, unmapped, count] : cases) {
        SCOPED_TRACE(font);
        const CodePointSet set = ReadMappedCodePoints(*OpenFont(TestFont(font)), face);
        for (char32_t c : mapped) {
            EXPECT_TRUE(set.Contains(c)) << std::hex << static_cast<std::uint32_t>(c);
        }
        for (char32_t c : unmapped) {
            EXPECT_FALSE(set.Contains(c)) << std::hex << static_cast<std::uint32_t>(c);
        }
        EXPECT_EQ(set.Count(), count);
    }
}

// A face copied out under a family of its own keeps every other table: the same code
// points, a collection's member as a font of its own.
TEST(SfntTestFonts, ARenamedCopyIsTheSameFaceUnderAnotherFamily) {
    Sandbox sandbox;
    for (const auto& [font, face] : {std::pair{"KernovaArabic-Regular.ttf", 0u},
                                     {"KernovaPair.ttc", 0u},
                                     {"KernovaPair.ttc", 1u}}) {
        SCOPED_TRACE(font);
        std::unique_ptr<InputFile> original = OpenFont(TestFont(font));
        const std::optional<std::string> copy = SfntRenamedFace(*original, face, "Private Name");
        ASSERT_TRUE(copy);
        const auto copied = sandbox.work() / "copy.ttf";
        WriteFileBytes(copied, *copy);
        std::unique_ptr<InputFile> renamed = OpenFont(copied);
        EXPECT_EQ(SfntName(*renamed, 1), "Private Name");
        EXPECT_EQ(SfntName(*renamed, 4), "Private Name");
        EXPECT_EQ(ReadMappedCodePoints(*renamed).Ranges().size(),
                  ReadMappedCodePoints(*original, face).Ranges().size());
        EXPECT_EQ(ReadMappedCodePoints(*renamed).Count(),
                  ReadMappedCodePoints(*original, face).Count());
    }
    const auto text = sandbox.work() / "notes.ttf";
    WriteFileBytes(text, "not a font at all");
    EXPECT_FALSE(SfntRenamedFace(*OpenFont(text), 0, "Private Name"));
    EXPECT_FALSE(SfntRenamedFace(*OpenFont(TestFont("KernovaPair.ttc")), 2, "Private Name"));
}

} // namespace
} // namespace kernova::test
