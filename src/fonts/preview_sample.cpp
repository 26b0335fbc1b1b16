#include "fonts/preview_sample.h"

#include "fonts/name_record_text.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

namespace kernova {
namespace {

using Range = CodePointSet::Range;

constexpr std::u32string_view kUsualLines[] = {
    U"abcdefghijklmnopqrstuvwxyz", U"ABCDEFGHIJKLMNOPQRSTUVWXYZ", U"123456789.:,;(*!?')"};
// Of the 71 characters of the usual lines, a font may lack this many and still show them
// (a font without the apostrophe or the asterisk is still a Latin font).
constexpr std::size_t kUsualMayLack = 4;

// How a sample line is cut into pieces and drawn.
enum class Cut {
    Letters, // each character a piece, drawn side by side (alphabets, Chinese, emoji)
    Words,   // each word a piece, with spaces between: a word is drawn whole or not at all
};

struct SampleLine {
    std::u32string_view text;
    Cut cut;
};

struct Script {
    std::initializer_list<Range> ranges; // where the script's characters are
    std::initializer_list<SampleLine> lines;
    // Scripts whose fonts are made for other readers than Latin ones: a font that maps
    // more of them than of Latin shows them even when it has every Latin letter too.
    bool ownsFont;
};

const Range kLatinLetters[] = {{0x41, 0x5A}, {0x61, 0x7A}, {0xC0, 0x24F}, {0x1E00, 0x1EFF}};
const Range kHan[] = {{0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xF900, 0xFAFF}};
const Range kKana[] = {{0x3040, 0x30FF}, {0x31F0, 0x31FF}};

// Most wanted first: the first of two scripts a font maps equally much wins.
const Script kScripts[] = {
    // Arabic: the abjad mnemonic (every letter) and "hello, world".
    {{{0x0600, 0x06FF}, {0x0750, 0x077F}, {0x08A0, 0x08FF}, {0xFB50, 0xFDFF}, {0xFE70, 0xFEFF}},
     {{U"أبجد هوز حطي كلمن سعفص قرشت ثخذ ضظغ", Cut::Words},
      {U"مرحبا بالعالم ١٢٣٤٥٦٧٨٩", Cut::Words}},
     true},
    // Hebrew: "hello world" and the alphabet.
    {{{0x0590, 0x05FF}, {0xFB1D, 0xFB4F}},
     {{U"שלום עולם", Cut::Words}, {U"אבגדהוזחטיכלמנסעפצקרשת", Cut::Letters}},
     true},
    {{{0x0900, 0x097F}, {0xA8E0, 0xA8FF}},
     {{U"नमस्ते दुनिया", Cut::Words},
      {U"क ख ग घ च छ ज झ ट ठ ड ढ त थ द ध न प फ ब भ म य र ल व श ष स ह", Cut::Words},
      {U"०१२३४५६७८९", Cut::Letters}},
     true},
    {{{0x0E00, 0x0E7F}},
     {{U"สวัสดีชาวโลก", Cut::Words}, {U"กขฃคฅฆงจฉชซฌญฎฏฐฑฒณดตถทธนบปผฝพฟภมยรลวศษสหฬอฮ", Cut::Letters}},
     true},
    // Korean: a pangram and the first syllables.
    {{{0x1100, 0x11FF}, {0x3130, 0x318F}, {0xAC00, 0xD7AF}},
     {{U"다람쥐 헌 쳇바퀴에 타고파", Cut::Words}, {U"가나다라마바사아자차카타파하", Cut::Letters}},
     true},
    // Japanese: the iroha poem, katakana and a few kanji.
    {{{0x3040, 0x30FF}, {0x31F0, 0x31FF}},
     {{U"いろはにほへと ちりぬるを", Cut::Words},
      {U"アイウエオカキクケコ", Cut::Letters},
      {U"永遠東京日本語", Cut::Letters}},
     true},
    // Chinese: the first lines of the Thousand Character Classic and the numerals.
    {{{0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xF900, 0xFAFF}},
     {{U"天地玄黄宇宙洪荒日月盈昃辰宿列张", Cut::Letters},
      {U"一二三四五六七八九十百千万", Cut::Letters}},
     true},
    {{{0x0400, 0x04FF}},
     {{U"абвгдежзийклмнопрстуфхцчшщъыьэюя", Cut::Letters},
      {U"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ", Cut::Letters}},
     false},
    {{{0x0370, 0x03FF}, {0x1F00, 0x1FFF}},
     {{U"αβγδεζηθικλμνξοπρστυφχψω", Cut::Letters}, {U"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ", Cut::Letters}},
     false},
    {{{0x1F300, 0x1FAFF}}, {{U"😀😍🎉🌍🌈🍕🚀🎨🐱🌻⭐❤", Cut::Letters}}, true},
};
constexpr std::size_t kJapanese = 5, kChinese = 6;

// A sample line needs this many characters the font maps to be worth showing.
constexpr std::size_t kLeastCharacters = 3;
// The fallback's characters: at most two lines of this many.
constexpr std::size_t kFallbackLineLength = 12;

std::string Utf8(std::u32string_view text) {
    std::string out;
    for (char32_t c : text) {
        AppendUtf8(out, c);
    }
    return out;
}

template <typename Ranges> std::size_t CountIn(const CodePointSet& mapped, const Ranges& ranges) {
    std::size_t count = 0;
    for (const Range& range : ranges) {
        count += mapped.CountIn(range.first, range.last);
    }
    return count;
}

bool MapsAll(const CodePointSet& mapped, std::u32string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [&](char32_t c) { return c == U' ' || mapped.Contains(c); });
}

// The line's pieces that the font maps; characters counts the mapped characters.
PreviewSample::Line Filtered(const CodePointSet& mapped, const SampleLine& sample,
                             std::size_t& characters) {
    PreviewSample::Line line{{}, sample.cut == Cut::Letters ? "" : " "};
    std::size_t start = 0;
    while (start < sample.text.size()) {
        std::size_t length = 1;
        if (sample.cut == Cut::Words) {
            length = std::min(sample.text.find(U' ', start), sample.text.size()) - start;
        }
        const std::u32string_view piece = sample.text.substr(start, length);
        if (!piece.empty() && piece != U" " && MapsAll(mapped, piece)) {
            line.pieces.push_back(Utf8(piece));
            characters += piece.size();
        }
        start += length + (sample.cut == Cut::Words ? 1 : 0);
    }
    return line;
}

std::vector<PreviewSample::Line> ScriptLines(const CodePointSet& mapped, const Script& script) {
    std::vector<PreviewSample::Line> lines;
    for (const SampleLine& sample : script.lines) {
        std::size_t characters = 0;
        PreviewSample::Line line = Filtered(mapped, sample, characters);
        if (characters >= kLeastCharacters) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

// The script the font maps most of (and can show a sample of); nothing when none.
const Script* MainScript(const CodePointSet& mapped, std::size_t& count) {
    const Script* best = nullptr;
    count = 0;
    for (const Script& script : kScripts) {
        const std::size_t here = CountIn(mapped, script.ranges);
        if (here > count && !ScriptLines(mapped, script).empty()) {
            best = &script;
            count = here;
        }
    }
    // Chinese fonts map the kana too, and Japanese ones thousands of kanji: a font with
    // kana and fewer kanji than a Chinese font has is Japanese.
    constexpr std::size_t kChineseFontHan = 10000, kJapaneseFontKana = 100;
    const bool kana = CountIn(mapped, kKana) >= kJapaneseFontKana;
    const std::size_t han = CountIn(mapped, kHan);
    if (best == &kScripts[kChinese] && kana && han < kChineseFontHan &&
        !ScriptLines(mapped, kScripts[kJapanese]).empty()) {
        best = &kScripts[kJapanese];
    }
    return best;
}

bool IsPrivateUse(char32_t c) {
    return (c >= 0xE000 && c <= 0xF8FF) || c >= 0xF0000;
}

// Characters that draw nothing of their own: controls, spaces, format characters,
// combining marks, variation selectors, tags, surrogates and noncharacters.
bool DrawsNothingAlone(char32_t c) {
    static constexpr Range kNothing[] = {
        {0x00, 0x20},     {0x7F, 0xA0},      {0xAD, 0xAD},     {0x300, 0x36F},   {0x483, 0x489},
        {0x591, 0x5BD},   {0x610, 0x61A},    {0x64B, 0x65F},   {0x1680, 0x1680}, {0x1AB0, 0x1AFF},
        {0x1DC0, 0x1DFF}, {0x2000, 0x200F},  {0x2028, 0x202F}, {0x205F, 0x206F}, {0x20D0, 0x20FF},
        {0x3000, 0x3000}, {0xD800, 0xDFFF},  {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF},
        {0xFFF0, 0xFFFF}, {0xE0000, 0xE0FFF}};
    return std::any_of(std::begin(kNothing), std::end(kNothing),
                       [c](const Range& range) { return c >= range.first && c <= range.last; }) ||
           (c & 0xFFFE) == 0xFFFE;
}

// Up to `count` mapped characters worth drawing, in code point order, those for which
// `wanted` holds.
template <typename Wanted>
void TakeFirst(const CodePointSet& mapped, std::size_t count, Wanted wanted,
               std::vector<char32_t>& taken) {
    for (const Range& range : mapped.Ranges()) {
        for (char32_t c = range.first; c <= range.last && taken.size() < count; ++c) {
            if (!DrawsNothingAlone(c) && wanted(c)) {
                taken.push_back(c);
            }
        }
    }
}

PreviewSample FirstCharacters(const CodePointSet& mapped) {
    const std::size_t total = 2 * kFallbackLineLength;
    static constexpr Range kPrivateUse[] = {{0xE000, 0xF8FF}, {0xF0000, 0x10FFFF}};
    // An icon font has its icons in the Private Use Area and maybe a few letters besides.
    const bool icons = CountIn(mapped, kPrivateUse) * 2 > mapped.Count();
    std::vector<char32_t> taken;
    if (icons) {
        TakeFirst(mapped, total, IsPrivateUse, taken);
    }
    TakeFirst(
        mapped, total, [icons](char32_t c) { return !(icons && IsPrivateUse(c)); }, taken);
    PreviewSample sample;
    for (std::size_t at = 0; at < taken.size(); at += kFallbackLineLength) {
        PreviewSample::Line line{{}, " "};
        for (std::size_t i = at; i < std::min(taken.size(), at + kFallbackLineLength); ++i) {
            line.pieces.push_back(Utf8(std::u32string_view(&taken[i], 1)));
        }
        sample.lines.push_back(std::move(line));
    }
    return sample;
}

PreviewSample UsualSample() {
    PreviewSample sample;
    sample.usual = true;
    for (std::u32string_view text : kUsualLines) {
        sample.lines.push_back({{Utf8(text)}, ""});
    }
    return sample;
}

} // namespace

std::string LineText(const PreviewSample::Line& line, std::size_t pieces) {
    std::string text;
    for (std::size_t i = 0; i < std::min(pieces, line.pieces.size()); ++i) {
        text += (i == 0 ? "" : line.separator) + line.pieces[i];
    }
    return text;
}

PreviewSample ChoosePreviewSample(const CodePointSet& mapped) {
    std::size_t lacking = 0;
    for (std::u32string_view text : kUsualLines) {
        lacking += static_cast<std::size_t>(std::count_if(
            text.begin(), text.end(), [&](char32_t c) { return !mapped.Contains(c); }));
    }
    std::size_t scriptCount = 0;
    const Script* script = MainScript(mapped, scriptCount);
    const std::size_t latin = CountIn(mapped, kLatinLetters);
    // Nothing known of the font (no cmap could be read): the usual lines, as always.
    const bool latinFont = mapped.Empty() || lacking <= kUsualMayLack;
    if (latinFont && !(script && script->ownsFont && scriptCount > latin)) {
        return UsualSample();
    }
    PreviewSample sample;
    if (script) {
        sample.lines = ScriptLines(mapped, *script);
    } else {
        sample = FirstCharacters(mapped);
    }
    // A font with nothing to show of its own shows the usual lines, as far as it can.
    return sample.lines.empty() ? UsualSample() : sample;
}

} // namespace kernova
