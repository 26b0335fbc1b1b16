#pragma once

#include "platform/picture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kernova {

// Twips per pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;

// Colours: 0x800000nn is system colour nn, anything else 0x00BBGGRR.
inline constexpr std::uint32_t kWhite = 0x00FFFFFF;
inline constexpr std::uint32_t kSysWindow = 0x80000005;
inline constexpr std::uint32_t kSysWindowText = 0x80000008;
inline constexpr std::uint32_t kSysHighlight = 0x8000000D;
inline constexpr std::uint32_t kSysButtonFace = 0x8000000F;
inline constexpr std::uint32_t kSysButtonShadow = 0x80000010;

struct FontSpec {
    std::string face; // "Tahoma" or "Verdana"; the view maps both to the desktop's sans-serif
    double points = 8.25;
    bool bold = false;
};

inline const FontSpec kTahoma{"Tahoma", 8.25, false};
inline const FontSpec kTahomaBold{"Tahoma", 8.25, true};
inline const FontSpec kVerdanaHeading{"Verdana", 12, true};

// Geometry in twips, relative to the container's client area.
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct Control {
    std::string name;
    Rect rect;
    bool visible = true;
    bool enabled = true;
};

enum class TextAlign { Left, Center };

struct Label : Control {
    std::string caption;
    FontSpec font = kTahoma;
    std::uint32_t foreColor = kSysWindowText;
    bool autoSize = false; // sized to its text
    bool wordWrap = false;
    bool transparent = true;
    TextAlign align = TextAlign::Left;
};

struct Button : Control {
    std::string caption; // "&" marks the accelerator
    FontSpec font = kTahoma;
    bool cancel = false; // Escape presses it
};

struct Panel : Control {
    std::uint32_t backColor = kSysButtonFace;
    bool sunkenBorder = false;
    Picture picture; // drawn unscaled from the top-left corner
};

struct TextBox : Control {
    std::string text;
    FontSpec font = kTahoma;
    bool multiLine = true;
    bool verticalScrollBar = true;
};

struct OptionButton : Control {
    std::string caption;
    FontSpec font = kTahoma;
    bool value = false;
};

struct Line {
    std::string name;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::uint32_t color = 0;
    bool visible = true;
};

struct FilledRect : Control {
    std::uint32_t color = kSysHighlight;
};

// A hidden list control used as a string list indexed from 0. A sorted list keeps its
// items in alphabetical order without regard to letter case, wherever they are added.
class StringList {
  public:
    explicit StringList(bool sorted) : sorted_(sorted) {}

    void AddItem(const std::string& item);
    int ListCount() const { return static_cast<int>(items_.size()); }
    const std::string& List(int index) const { return items().at(static_cast<size_t>(index)); }
    const std::vector<std::string>& items() const;
    void Clear() { items_.clear(); }
    bool sorted() const { return sorted_; }

  private:
    bool sorted_;
    // A sorted list is put in order when it is next read, not at every item: a package's
    // thousands of entries arrive in reverse order, and inserting each in place would move
    // all the others.
    mutable std::vector<std::string> items_;
    mutable bool unordered_ = false;
};

inline int TwipsToPixels(int twips) {
    return twips / kTwipsPerPixel;
}
inline int PixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

} // namespace kernova
