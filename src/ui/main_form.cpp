#include "ui/main_form.h"

#include "ui/control_table.h"

namespace kernova {
namespace {

void StartCommon(Control& state, const ControlDesign& design) {
    state.name = design.name;
    state.rect = design.rect;
    state.visible = design.visible;
    state.enabled = design.enabled;
}

void Start(Label& state, const ControlDesign& design) {
    StartCommon(state, design);
    state.caption = design.caption;
    state.font = *design.font;
    state.foreColor = design.foreColor;
    state.autoSize = design.autoSize;
    state.wordWrap = design.wordWrap;
    state.transparent = design.transparent;
    state.align = design.align;
}

void Start(Button& state, const ControlDesign& design) {
    StartCommon(state, design);
    state.caption = design.caption;
    state.font = *design.font;
    state.cancel = design.cancel;
}

void Start(Panel& state, const ControlDesign& design) {
    StartCommon(state, design);
    state.backColor = design.backColor;
    state.sunkenBorder = design.sunkenBorder;
}

void Start(TextBox& state, const ControlDesign& design) {
    StartCommon(state, design);
    state.text = design.caption;
    state.font = *design.font;
}

void Start(OptionButton& state, const ControlDesign& design) {
    StartCommon(state, design);
    state.caption = design.caption;
    state.font = *design.font;
    state.value = design.value;
}

void Start(Line& state, const ControlDesign& design) {
    state.name = design.name;
    state.x1 = design.ends.x1;
    state.y1 = design.ends.y1;
    state.x2 = design.ends.x2;
    state.y2 = design.ends.y2;
    state.color = design.foreColor;
    state.visible = design.visible;
}

void Start(FilledRect& state, const ControlDesign& design) {
    StartCommon(state, design);
    state.color = design.backColor;
}

template <typename Form>
void StartFromTable(Form& form, std::span<const ControlEntry<Form>> table) {
    for (const ControlEntry<Form>& entry : table) {
        std::visit([&](auto member) { Start(form.*member, entry.design); }, entry.member);
    }
}

template <typename Form>
std::vector<FormControl> Bind(const Form& form, std::span<const ControlEntry<Form>> table) {
    std::vector<FormControl> controls;
    controls.reserve(table.size());
    for (const ControlEntry<Form>& entry : table) {
        controls.push_back(
            {&entry.design, std::visit([&](auto member) -> ControlState { return &(form.*member); },
                                       entry.member)});
    }
    return controls;
}

} // namespace

MainForm::MainForm() {
    StartFromTable(*this, MainFormTable());
}

ExtractingForm::ExtractingForm() {
    StartFromTable(*this, ExtractingFormTable());
}

std::vector<FormControl> ControlsOf(const MainForm& form) {
    return Bind(form, MainFormTable());
}

std::vector<FormControl> ControlsOf(const ExtractingForm& form) {
    return Bind(form, ExtractingFormTable());
}

} // namespace kernova
