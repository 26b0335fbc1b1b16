// The preview of a font without the Latin alphabet: a sample of what it maps, at the
// largest size at which it fits the area, cut to fit at the smallest; never clipped.
#include "fakes/fake_platform.h"
#include "fakes/fake_runtime.h"
#include "fakes/sfnt_bytes.h"
#include "ui/frm_main.h"

#include <gtest/gtest.h>

namespace kernova::test {
namespace {

// `count` arrows from U+2190 + `first`, spaced (three bytes each in UTF-8, and the fake
// area measures bytes).
std::string Arrows(std::size_t first, std::size_t count) {
    std::string text;
    for (std::size_t i = first; i < first + count; ++i) {
        text += std::string(i == first ? "" : " ") + "\xE2\x86" + static_cast<char>(0x90 + i);
    }
    return text;
}

TEST(Preview, AFontWithoutLatinLettersShowsWhatItMapsFittedToTheArea) {
    // The area's width and pixels per byte and point; the size and the lines drawn.
    const std::tuple<int, double, double, Names> cases[] = {
        {289, 0.6, 10, {Arrows(0, 12), Arrows(12, 12)}}, // 47 bytes: 282 pixels at 10 points
        {400, 0.6, 14, {Arrows(0, 12), Arrows(12, 12)}}, // 395 pixels at 14
        {200, 0.6, 10, {Arrows(0, 8), Arrows(12, 8)}},   // eight of them fit at 10
        {2, 0.6, 10, {}},                                // not even one: nothing is drawn
    };
    for (const auto& [width, charWidth, size, printed] : cases) {
        SCOPED_TRACE(width);
        FakePlatform p;
        FakeRuntime runtime;
        FrmMain frm{runtime, p.platform, {}};
        frm.form.ExtractPath = "/x/";
        frm.form.lstFonts.AddItem("arrows.ttf");
        // The fake font system reads names only from its own stand-in files: no name here,
        // so the area's own font draws (what matters is what is drawn and how it fits).
        p.files.AddFile("/x/arrows.ttf", FontMapping(3, 1, Format4({{0x2190, 0x21FF, 1}})));
        runtime.preview.charWidthPerPoint = charWidth;
        runtime.preview.width = width;
        frm.ShowFontPreview();
        EXPECT_EQ(runtime.preview.fontSize, size);
        EXPECT_EQ(runtime.preview.printed, printed);
        const int height = static_cast<int>(printed.size()) * static_cast<int>(size * 2) + 4;
        EXPECT_EQ(runtime.preview.height, height);
        EXPECT_EQ(runtime.preview.releasedFiles, Names{"/x/arrows.ttf"});
    }
}

} // namespace
} // namespace kernova::test
