// Which sample the preview draws for a font, from the code points its cmap maps.
#include "fonts/preview_sample.h"

#include <gtest/gtest.h>

namespace kernova::test {
namespace {

using Range = CodePointSet::Range;

// The sample's lines as texts, "|" between them; "usual" for the three usual lines.
std::string Drawn(const std::vector<Range>& mapped) {
    const PreviewSample sample = ChoosePreviewSample(CodePointSet(mapped));
    std::string drawn = sample.usual ? "usual" : "";
    for (const PreviewSample::Line& line : sample.lines) {
        drawn += (sample.usual    ? ""
                  : drawn.empty() ? ""
                                  : "|") +
                 (sample.usual ? "" : LineText(line, line.pieces.size()));
    }
    return drawn;
}

constexpr Range kAscii{0x20, 0x7E};
constexpr Range kLatinExtended{0xA0, 0x24F};
constexpr Range kArabic{0x600, 0x6FF};
constexpr Range kArabicForms{0xFB50, 0xFDFF};
constexpr Range kKana{0x3040, 0x30FF};

TEST(PreviewSample, LatinFontsKeepTheUsualLinesAndOthersShowTheirScript) {
    const std::pair<std::vector<Range>, std::string> cases[] = {
        {{}, "usual"}, // nothing known of the font
        {{kAscii}, "usual"},
        // Four of the usual characters may be missing ( ' ( * ! ), a fifth (?) may not.
        {{{0x20, 0x20}, {0x22, 0x27}, {0x29, 0x29}, {0x2B, 0x7E}}, "usual"},
        {{{0x20, 0x20}, {0x22, 0x26}, {0x29, 0x29}, {0x2B, 0x3E}, {0x40, 0x7E}},
         "\" # $ % & ) + , - . / 0|1 2 3 4 5 6 7 8 9 : ; <"},
        // Latin fonts with other scripts too; fonts made for Arabic readers with Latin too.
        {{kAscii, kLatinExtended, kArabic, {0x400, 0x4FF}}, "usual"},
        {{kAscii, kArabic, kArabicForms},
         "أبجد هوز حطي كلمن سعفص قرشت ثخذ ضظغ|مرحبا بالعالم ١٢٣٤٥٦٧٨٩"},
        {{kAscii, {0x400, 0x4FF}}, "usual"},
        // Words the font cannot show whole are left out (no ث U+062B, no digits).
        {{{0x620, 0x62A}, {0x62C, 0x64A}}, "أبجد هوز حطي كلمن سعفص قرشت ضظغ|مرحبا بالعالم"},
        {{{0x5D0, 0x5EA}}, "שלום עולם|אבגדהוזחטיכלמנסעפצקרשת"},
        {{{0x5D0, 0x5DC}, {0x5DE, 0x5EA}}, "אבגדהוזחטיכלמנסעפצקרשת"}, // no final mem (U+05DD)
        {{{0x400, 0x4FF}}, "абвгдежзийклмнопрстуфхцчшщъыьэюя|АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"},
        {{{0x391, 0x3A9}}, "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ"},
        {{{0x900, 0x97F}},
         "नमस्ते दुनिया|क ख ग घ च छ ज झ ट ठ ड ढ त थ द ध न प फ ब भ म य र ल व श ष स ह|०१२३४५६७८९"},
        {{{0xE01, 0xE5B}}, "สวัสดีชาวโลก|กขฃคฅฆงจฉชซฌญฎฏฐฑฒณดตถทธนบปผฝพฟภมยรลวศษสหฬอฮ"},
        {{kAscii, {0xAC00, 0xD7A3}}, "다람쥐 헌 쳇바퀴에 타고파|가나다라마바사아자차카타파하"},
        // Chinese fonts have the kana too; Japanese ones fewer kanji.
        {{kAscii, kKana, {0x4E00, 0x9FFF}},
         "天地玄黄宇宙洪荒日月盈昃辰宿列张|一二三四五六七八九十百千万"},
        {{kAscii, kKana, {0x4E00, 0x6FFF}},
         "いろはにほへと ちりぬるを|アイウエオカキクケコ|永東京日本"},
        {{{0x4E00, 0x4E0A}}, "一三七万"}, // of the sample, only these lie in U+4E00..U+4E0A
        {{{0x1F300, 0x1FAFF}}, "😀😍🎉🌍🌈🍕🚀🎨🐱🌻"},
    };
    for (const auto& [mapped, expected] : cases) {
        EXPECT_EQ(Drawn(mapped), expected);
    }
}

TEST(PreviewSample, OtherFontsShowTheirFirstPrintableCharactersIconsFirst) {
    const std::pair<std::vector<Range>, std::string> cases[] = {
        // Controls, spaces, combining marks and variation selectors draw nothing alone.
        {{{0x0, 0x20}, {0x300, 0x36F}, {0x2190, 0x2195}, {0xFE00, 0xFE0F}}, "← ↑ → ↓ ↔ ↕"},
        // Mostly icons: those of the Private Use Area come first.
        {{{0x41, 0x43}, {0xE000, 0xE00F}},
         "\uE000 \uE001 \uE002 \uE003 \uE004 \uE005 \uE006 \uE007 \uE008 \uE009 \uE00A \uE00B|"
         "\uE00C \uE00D \uE00E \uE00F A B C"},
        {{{0x41, 0x43}, {0xE000, 0xE001}}, "A B C \uE000 \uE001"},
        {{{0xF0000, 0xF0002}}, "\U000F0000 \U000F0001 \U000F0002"},
        // Nothing worth drawing: the usual lines, as far as the font can.
        {{{0x300, 0x36F}}, "usual"},
    };
    for (const auto& [mapped, expected] : cases) {
        EXPECT_EQ(Drawn(mapped), expected);
    }
}

} // namespace
} // namespace kernova::test
