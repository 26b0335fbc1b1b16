#include "ui/main_form.h"

namespace kernova {
namespace {

Label MakeLabel(const char* name, Rect rect, const char* caption, FontSpec font, bool autoSize,
                bool wordWrap = false) {
    Label l;
    l.name = name;
    l.rect = rect;
    l.caption = caption;
    l.font = std::move(font);
    l.autoSize = autoSize;
    l.wordWrap = wordWrap;
    return l;
}

Panel MakePanel(const char* name, Rect rect, std::uint32_t backColor) {
    Panel p;
    p.name = name;
    p.rect = rect;
    p.backColor = backColor;
    return p;
}

Button MakeButton(const char* name, Rect rect, const char* caption, bool enabled) {
    Button b;
    b.name = name;
    b.rect = rect;
    b.caption = caption;
    b.enabled = enabled;
    return b;
}

Line MakeLine(const char* name, int x1, int y1, int x2, int y2, std::uint32_t color) {
    return Line{name, x1, y1, x2, y2, color, true};
}

OptionButton MakeOption(const char* name, Rect rect, const char* caption, bool value) {
    OptionButton o;
    o.name = name;
    o.rect = rect;
    o.caption = caption;
    o.value = value;
    return o;
}

TextBox MakeTextBox(const char* name, Rect rect) {
    TextBox t;
    t.name = name;
    t.rect = rect;
    return t;
}

} // namespace

MainForm::MainForm() {
    imgSide = MakePanel("imgSide", {0, 0, 1980, 3750}, kWhite);

    picWelcome = MakePanel("picWelcome", {1980, 0, 4635, 3750}, kSysWindow);
    picLicense = MakePanel("picLicense", {1980, 0, 4695, 3750}, kWhite);
    picReadme = MakePanel("picReadme", {1980, 0, 4635, 3750}, kSysWindow);
    picInstall = MakePanel("picInstall", {1980, 0, 4635, 3750}, kWhite);
    picFinish = MakePanel("picFinish", {1980, 0, 4635, 3750}, kWhite);

    lneGrey = MakeLine("lneGrey", 0, 3750, 6600, 3750, 0x009CAEAD);
    lneWhite = MakeLine("lneWhite", 0, 3765, 6600, 3765, kWhite);

    lblLink = MakeLabel("lblLink", {120, 3900, 330, 195}, "LINK", kTahoma, true);
    lblLink.foreColor = 0x00C00000;
    lblLink.visible = false;
    lblBrand = MakeLabel("lblBrand", {120, 4140, 1170, 195}, "Kernova Installer", kTahoma, true);
    lblBrand.enabled = false;

    cmdBack = MakeButton("cmdBack", {2955, 3960, 1095, 345}, "< &Back", false);
    cmdNext = MakeButton("cmdNext", {4080, 3960, 1095, 345}, "&Next >", true);
    cmdCancel = MakeButton("cmdCancel", {5355, 3975, 1095, 345}, "&Cancel", true);
    cmdCancel.cancel = true;

    // Welcome page
    lblWelcome = MakeLabel("lblWelcome", {120, 240, 0, 270}, "", kVerdanaHeading, true);
    lblSetup = MakeLabel("lblSetup", {120, 600, 4335, 735}, "", kTahoma, false, true);
    lblFontPreview =
        MakeLabel("lblFontPreview", {120, 1320, 2055, 255}, "Font Preview:", kTahoma, false);
    lblFontPreview.visible = false;
    picPreview = MakePanel("picPreview", {120, 1680, 4335, 1095}, kWhite);
    picPreview.visible = false;
    lblWelcomeNext = MakeLabel("lblWelcomeNext", {120, 3480, 1620, 195}, "Click Next to continue.",
                               kTahoma, true);

    // Licence page
    lblLicense =
        MakeLabel("lblLicense", {300, 120, 1635, 195}, "License Agreement", kTahomaBold, true);
    lneLicense = MakeLine("lneLicense", 0, 870, 4680, 870, kSysButtonShadow);
    picSubLicense = MakePanel("picSubLicense", {0, 900, 4635, 2850}, kSysButtonFace);
    lblAcceptTerms =
        MakeLabel("lblAcceptTerms", {120, 105, 4335, 615},
                  "You must accept the terms of the following License Agreement before "
                  "continuing with the installation.",
                  kTahoma, false, true);
    lblAcceptTerms.transparent = false;
    txtLicense = MakeTextBox("txtLicense", {120, 600, 4410, 1575});
    optAgree = MakeOption("optAgree", {120, 2280, 2535, 195}, "I accept the agreement", false);
    optDisagree =
        MakeOption("optDisagree", {120, 2520, 2535, 315}, "I do not accept the agreement", true);

    // Information page
    lblReadMe = MakeLabel("lblReadMe", {300, 120, 1020, 195}, "Information", kTahomaBold, true);
    lblSubReadme = MakeLabel("lblSubReadme", {600, 360, 3120, 435}, "", kTahoma, false);
    lneReadme = MakeLine("lneReadme", 0, 870, 4680, 870, kSysButtonShadow);
    picSubReadme = MakePanel("picSubReadme", {0, 900, 4635, 2850}, kSysButtonFace);
    txtReadme = MakeTextBox("txtReadme", {120, 120, 4410, 2610});

    // Installing page
    lblInstalling =
        MakeLabel("lblInstalling", {300, 120, 795, 195}, "Installing", kTahomaBold, true);
    lneInstall = MakeLine("lneInstall", 0, 870, 4680, 870, kSysButtonShadow);
    picSubInstall = MakePanel("picSubInstall", {0, 900, 4635, 2850}, kSysButtonFace);
    lblStatus = MakeLabel("lblStatus", {120, 600, 4455, 255}, "Installing...", kTahoma, false);
    lblStatus.transparent = false;
    picProgCon = MakePanel("picProgCon", {120, 840, 4410, 255}, kSysButtonFace);
    picProgCon.sunkenBorder = true;
    picProg.name = "picProg";
    picProg.rect = {0, 0, 15, 255};
    picProg.color = kSysHighlight;
    lblPercent = MakeLabel("lblPercent", {0, 0, 4335, 255}, "0 %", kTahomaBold, false);
    lblPercent.align = TextAlign::Center;
    lblInstall = MakeLabel("lblInstall", {120, 2280, 4365, 435}, "", kTahoma, false);

    // Finish page
    lblFinish = MakeLabel("lblFinish", {120, 240, 1155, 270}, "Finished!", kVerdanaHeading, true);
    lblFinishText = MakeLabel("lblFinishText", {120, 720, 4335, 615}, "", kTahoma, false, true);
    lblFinishFinish = MakeLabel("lblFinishFinish", {120, 3360, 2190, 195},
                                "Click Finish to close this dialog.", kTahoma, true);
}

ExtractingForm::ExtractingForm() {
    lblExtracting =
        MakeLabel("lblExtracting", {120, 120, 2760, 300}, "Extracting fonts...", kTahoma, false);
    lblExtracting.align = TextAlign::Center;
}

} // namespace kernova
