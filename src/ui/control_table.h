#pragma once

#include "ui/controls.h"

#include <cstdint>
#include <span>
#include <variant>
#include <vector>

namespace kernova {

class FrmMain;
struct MainForm;
struct ExtractingForm;

// What a view makes for a control.
enum class ControlKind {
    Label,
    Button,       // push button
    Panel,        // picture panel: background, picture, container of other controls
    PreviewArea,  // picture panel the font preview draws into
    TextBox,      // multi-line, read-only for the user
    OptionButton, // one of a group: selecting one clears the others in its container
    Line,
    FilledRect,
};

// A line's end points, twips in its container.
struct LineEnds {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// One control as designed: the form's state starts from it and views build their widgets
// from it. Fields a kind has no use for keep their defaults.
struct ControlDesign {
    const char* name = "";
    ControlKind kind = ControlKind::Label;
    const char* container = nullptr; // the holding panel's name; nullptr for the window
    Rect rect{};                     // twips in the container's client area (not lines)
    LineEnds ends{};                 // lines only
    const FontSpec* font = &kTahoma; // controls with text
    const char* caption = "";        // a text box's text
    bool visible = true;
    bool enabled = true;
    std::uint32_t foreColor = kSysWindowText; // a label's text; a line's colour
    std::uint32_t backColor = kSysButtonFace; // a panel's background; a filled rectangle's colour
    // Labels
    bool autoSize = false;
    bool wordWrap = false;
    bool transparent = true;
    TextAlign align = TextAlign::Left;
    // Panels
    bool sunkenBorder = false;
    // Buttons: Escape presses the cancel button (the form decides when).
    bool cancel = false;
    // Option buttons
    bool value = false;
    // Place in the window's keyboard order from 0 (the first has the focus when the window
    // shows); -1 for a control the Tab key skips.
    int tabIndex = -1;
    // The form's handler of a click.
    void (FrmMain::*click)() = nullptr;
};

// Which member of `Form` holds a control's state at run time.
template <typename Form>
using ControlMember = std::variant<Label Form::*, Button Form::*, Panel Form::*, TextBox Form::*,
                                   OptionButton Form::*, Line Form::*, FilledRect Form::*>;

// A row of a form's control table.
template <typename Form> struct ControlEntry {
    ControlMember<Form> member;
    ControlDesign design;
};

// The layouts, containers before what they hold; the order is the drawing order too (a later
// control is drawn over an earlier one in the same container).
std::span<const ControlEntry<MainForm>> MainFormTable();
std::span<const ControlEntry<ExtractingForm>> ExtractingFormTable();

// A control's current state in a form, for views: they read it and never change it.
using ControlState = std::variant<const Label*, const Button*, const Panel*, const TextBox*,
                                  const OptionButton*, const Line*, const FilledRect*>;

struct FormControl {
    const ControlDesign* design;
    ControlState state;
};

// Every control of the form in table order, with where its state lives in `form`.
std::vector<FormControl> ControlsOf(const MainForm& form);
std::vector<FormControl> ControlsOf(const ExtractingForm& form);

} // namespace kernova
