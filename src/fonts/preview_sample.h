#pragma once

#include "fonts/code_point_set.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kernova {

// What the welcome page's preview draws for one font.
struct PreviewSample {
    // One line: pieces (words, letters or symbols, UTF-8) drawn with `separator` between
    // them. A line too wide for the area loses pieces from its end.
    struct Line {
        std::vector<std::string> pieces;
        std::string separator;
    };

    // The three usual lines (lower case, upper case, digits and punctuation), drawn as
    // packages have always had them drawn.
    bool usual = false;
    std::vector<Line> lines;
};

// The sample for a font that maps `mapped`: the usual lines when it maps nearly all of
// them (or when nothing is known of it) and no script of its own outweighs Latin; else a
// few words or letters of its script, as far as it maps them (Arabic, Hebrew, Cyrillic,
// Greek, Devanagari, Thai, Chinese, Japanese, Korean, emoji); else its first mapped
// printable characters, those of the Private Use Area first when it is mostly icons.
PreviewSample ChoosePreviewSample(const CodePointSet& mapped);

// The first `pieces` pieces of `line` as one text.
std::string LineText(const PreviewSample::Line& line, std::size_t pieces);

} // namespace kernova
