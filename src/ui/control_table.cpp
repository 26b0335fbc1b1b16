#include "ui/control_table.h"

#include "ui/frm_main.h"
#include "ui/main_form.h"

#include <cstddef>
#include <string_view>

namespace kernova {
namespace {

using K = ControlKind;
using M = MainForm;

constexpr const char* kAcceptTerms = "You must accept the terms of the following License "
                                     "Agreement before continuing with the installation.";

constexpr ControlEntry<MainForm> kMainForm[] = {
    // Top level: the side picture, one panel per page, the separator, the link and brand
    // lines and the buttons.
    {&M::imgSide,
     {.name = "imgSide", .kind = K::Panel, .rect = {0, 0, 1980, 3750}, .backColor = kWhite}},
    {&M::picWelcome,
     {.name = "picWelcome",
      .kind = K::Panel,
      .rect = {1980, 0, 4635, 3750},
      .backColor = kSysWindow}},
    {&M::picLicense,
     {.name = "picLicense", .kind = K::Panel, .rect = {1980, 0, 4695, 3750}, .backColor = kWhite}},
    {&M::picReadme,
     {.name = "picReadme",
      .kind = K::Panel,
      .rect = {1980, 0, 4635, 3750},
      .backColor = kSysWindow}},
    {&M::picInstall,
     {.name = "picInstall", .kind = K::Panel, .rect = {1980, 0, 4635, 3750}, .backColor = kWhite}},
    {&M::picFinish,
     {.name = "picFinish", .kind = K::Panel, .rect = {1980, 0, 4635, 3750}, .backColor = kWhite}},
    {&M::lneGrey,
     {.name = "lneGrey", .kind = K::Line, .ends = {0, 3750, 6600, 3750}, .foreColor = 0x009CAEAD}},
    {&M::lneWhite,
     {.name = "lneWhite", .kind = K::Line, .ends = {0, 3765, 6600, 3765}, .foreColor = kWhite}},
    {&M::lblLink,
     {.name = "lblLink",
      .kind = K::Label,
      .rect = {120, 3900, 330, 195},
      .caption = "LINK",
      .visible = false,
      .foreColor = 0x00C00000,
      .autoSize = true,
      .click = &FrmMain::lblLink_Click}},
    {&M::lblBrand,
     {.name = "lblBrand",
      .kind = K::Label,
      .rect = {120, 4140, 1170, 195},
      .caption = "Kernova Installer",
      .enabled = false,
      .autoSize = true}},
    {&M::cmdBack,
     {.name = "cmdBack",
      .kind = K::Button,
      .rect = {2955, 3960, 1095, 345},
      .caption = "< &Back",
      .enabled = false,
      .tabIndex = 6,
      .click = &FrmMain::cmdBack_Click}},
    {&M::cmdNext,
     {.name = "cmdNext",
      .kind = K::Button,
      .rect = {4080, 3960, 1095, 345},
      .caption = "&Next >",
      .tabIndex = 0,
      .click = &FrmMain::cmdNext_Click}},
    {&M::cmdCancel,
     {.name = "cmdCancel",
      .kind = K::Button,
      .rect = {5355, 3975, 1095, 345},
      .caption = "&Cancel",
      .cancel = true,
      .tabIndex = 1,
      .click = &FrmMain::cmdCancel_Click}},

    // Welcome page
    {&M::lblWelcome,
     {.name = "lblWelcome",
      .kind = K::Label,
      .container = "picWelcome",
      .rect = {120, 240, 0, 270},
      .font = &kVerdanaHeading,
      .autoSize = true}},
    {&M::lblSetup,
     {.name = "lblSetup",
      .kind = K::Label,
      .container = "picWelcome",
      .rect = {120, 600, 4335, 735},
      .wordWrap = true}},
    {&M::lblFontPreview,
     {.name = "lblFontPreview",
      .kind = K::Label,
      .container = "picWelcome",
      .rect = {120, 1320, 2055, 255},
      .caption = "Font Preview:",
      .visible = false}},
    {&M::picPreview,
     {.name = "picPreview",
      .kind = K::PreviewArea,
      .container = "picWelcome",
      .rect = {120, 1680, 4335, 1095},
      .visible = false,
      .backColor = kWhite}},
    {&M::lblWelcomeNext,
     {.name = "lblWelcomeNext",
      .kind = K::Label,
      .container = "picWelcome",
      .rect = {120, 3480, 1620, 195},
      .caption = "Click Next to continue.",
      .autoSize = true}},

    // Licence page: a header band, then the body panel with the terms and the choice.
    {&M::lblLicense,
     {.name = "lblLicense",
      .kind = K::Label,
      .container = "picLicense",
      .rect = {300, 120, 1635, 195},
      .font = &kTahomaBold,
      .caption = "License Agreement",
      .autoSize = true}},
    {&M::lneLicense,
     {.name = "lneLicense",
      .kind = K::Line,
      .container = "picLicense",
      .ends = {0, 870, 4680, 870},
      .foreColor = kSysButtonShadow}},
    {&M::picSubLicense,
     {.name = "picSubLicense",
      .kind = K::Panel,
      .container = "picLicense",
      .rect = {0, 900, 4635, 2850}}},
    {&M::lblAcceptTerms,
     {.name = "lblAcceptTerms",
      .kind = K::Label,
      .container = "picSubLicense",
      .rect = {120, 105, 4335, 615},
      .caption = kAcceptTerms,
      .wordWrap = true,
      .transparent = false}},
    {&M::txtLicense,
     {.name = "txtLicense",
      .kind = K::TextBox,
      .container = "picSubLicense",
      .rect = {120, 600, 4410, 1575},
      .tabIndex = 2}},
    {&M::optAgree,
     {.name = "optAgree",
      .kind = K::OptionButton,
      .container = "picSubLicense",
      .rect = {120, 2280, 2535, 195},
      .caption = "I accept the agreement",
      .tabIndex = 3,
      .click = &FrmMain::optAgree_Click}},
    {&M::optDisagree,
     {.name = "optDisagree",
      .kind = K::OptionButton,
      .container = "picSubLicense",
      .rect = {120, 2520, 2535, 315},
      .caption = "I do not accept the agreement",
      .value = true,
      .tabIndex = 4,
      .click = &FrmMain::optDisagree_Click}},

    // Information page
    {&M::lblReadMe,
     {.name = "lblReadMe",
      .kind = K::Label,
      .container = "picReadme",
      .rect = {300, 120, 1020, 195},
      .font = &kTahomaBold,
      .caption = "Information",
      .autoSize = true}},
    {&M::lblSubReadme,
     {.name = "lblSubReadme",
      .kind = K::Label,
      .container = "picReadme",
      .rect = {600, 360, 3120, 435}}},
    {&M::lneReadme,
     {.name = "lneReadme",
      .kind = K::Line,
      .container = "picReadme",
      .ends = {0, 870, 4680, 870},
      .foreColor = kSysButtonShadow}},
    {&M::picSubReadme,
     {.name = "picSubReadme",
      .kind = K::Panel,
      .container = "picReadme",
      .rect = {0, 900, 4635, 2850}}},
    {&M::txtReadme,
     {.name = "txtReadme",
      .kind = K::TextBox,
      .container = "picSubReadme",
      .rect = {120, 120, 4410, 2610},
      .tabIndex = 5}},

    // Installing page: the status line over the progress bar (a trough with a sunken
    // border holding the fill and the percentage).
    {&M::lblInstalling,
     {.name = "lblInstalling",
      .kind = K::Label,
      .container = "picInstall",
      .rect = {300, 120, 795, 195},
      .font = &kTahomaBold,
      .caption = "Installing",
      .autoSize = true}},
    {&M::lneInstall,
     {.name = "lneInstall",
      .kind = K::Line,
      .container = "picInstall",
      .ends = {0, 870, 4680, 870},
      .foreColor = kSysButtonShadow}},
    {&M::picSubInstall,
     {.name = "picSubInstall",
      .kind = K::Panel,
      .container = "picInstall",
      .rect = {0, 900, 4635, 2850}}},
    {&M::lblStatus,
     {.name = "lblStatus",
      .kind = K::Label,
      .container = "picSubInstall",
      .rect = {120, 600, 4455, 255},
      .caption = "Installing...",
      .transparent = false}},
    {&M::picProgCon,
     {.name = "picProgCon",
      .kind = K::Panel,
      .container = "picSubInstall",
      .rect = {120, 840, 4410, 255},
      .sunkenBorder = true}},
    {&M::picProg,
     {.name = "picProg",
      .kind = K::FilledRect,
      .container = "picProgCon",
      .rect = {0, 0, 15, 255},
      .backColor = kSysHighlight}},
    {&M::lblPercent,
     {.name = "lblPercent",
      .kind = K::Label,
      .container = "picProgCon",
      .rect = {0, 0, 4335, 255},
      .font = &kTahomaBold,
      .caption = "0 %",
      .align = TextAlign::Center}},
    {&M::lblInstall,
     {.name = "lblInstall",
      .kind = K::Label,
      .container = "picSubInstall",
      .rect = {120, 2280, 4365, 435}}},

    // Finish page
    {&M::lblFinish,
     {.name = "lblFinish",
      .kind = K::Label,
      .container = "picFinish",
      .rect = {120, 240, 1155, 270},
      .font = &kVerdanaHeading,
      .caption = "Finished!",
      .autoSize = true}},
    {&M::lblFinishText,
     {.name = "lblFinishText",
      .kind = K::Label,
      .container = "picFinish",
      .rect = {120, 720, 4335, 615},
      .wordWrap = true}},
    {&M::lblFinishFinish,
     {.name = "lblFinishFinish",
      .kind = K::Label,
      .container = "picFinish",
      .rect = {120, 3360, 2190, 195},
      .caption = "Click Finish to close this dialog.",
      .autoSize = true}},
};

constexpr ControlEntry<ExtractingForm> kExtractingForm[] = {
    {&ExtractingForm::lblExtracting,
     {.name = "lblExtracting",
      .kind = K::Label,
      .rect = {120, 120, 2760, 300},
      .caption = "Extracting fonts...",
      .align = TextAlign::Center}},
};

// The state member's type as the kind needs it.
constexpr std::size_t MemberIndexOf(ControlKind kind) {
    switch (kind) {
    case K::Label:
        return 0;
    case K::Button:
        return 1;
    case K::Panel:
    case K::PreviewArea:
        return 2;
    case K::TextBox:
        return 3;
    case K::OptionButton:
        return 4;
    case K::Line:
        return 5;
    case K::FilledRect:
        return 6;
    }
    return 7;
}

constexpr bool Same(const char* a, const char* b) {
    return std::string_view(a) == std::string_view(b);
}

// What the views rely on: each name once, each kind backed by a member of its type, each
// container a panel listed before what it holds, each place in the tab order taken once.
// (Whether a row's click handler is set cannot be asked at compile time in every build.)
template <typename Form, std::size_t N>
constexpr bool WellFormed(const ControlEntry<Form> (&table)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        const ControlDesign& row = table[i].design;
        if (table[i].member.index() != MemberIndexOf(row.kind)) {
            return false;
        }
        bool containerBefore = row.container == nullptr;
        for (std::size_t j = 0; j < i; ++j) {
            const ControlDesign& earlier = table[j].design;
            if (Same(earlier.name, row.name) ||
                (row.tabIndex >= 0 && earlier.tabIndex == row.tabIndex)) {
                return false;
            }
            if (row.container != nullptr && Same(earlier.name, row.container) &&
                earlier.kind == K::Panel) {
                containerBefore = true;
            }
        }
        if (!containerBefore) {
            return false;
        }
    }
    return true;
}

static_assert(WellFormed(kMainForm));
static_assert(WellFormed(kExtractingForm));

} // namespace

std::span<const ControlEntry<MainForm>> MainFormTable() {
    return kMainForm;
}

std::span<const ControlEntry<ExtractingForm>> ExtractingFormTable() {
    return kExtractingForm;
}

} // namespace kernova
