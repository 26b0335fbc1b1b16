#pragma once

#include "ui/controls.h"

#include <string>

namespace kernova {

// The wizard window's state: every control of its layout with its geometry, caption,
// font, colours, visibility and enabled state, and the window's variables. It starts as
// the control table designs it (ui/control_table.cpp); handlers change it and views show it.
struct MainForm {
    MainForm();

    // Window
    std::string caption;
    bool visible = false;
    int clientWidth = 6615; // twips
    int clientHeight = 4455;

    // Top level
    Panel imgSide;
    Panel picWelcome, picLicense, picReadme, picInstall, picFinish;
    Line lneGrey, lneWhite;
    Label lblLink, lblBrand;
    Button cmdBack, cmdNext, cmdCancel;
    StringList lstFiles{false};
    StringList lstFonts{true};

    // Welcome page (in picWelcome; measured in pixels at run time)
    Label lblWelcome, lblSetup, lblFontPreview;
    Panel picPreview;
    Label lblWelcomeNext;

    // Licence page (in picLicense; the four controls below lneLicense are in picSubLicense)
    Label lblLicense;
    Line lneLicense;
    Panel picSubLicense;
    Label lblAcceptTerms;
    TextBox txtLicense;
    OptionButton optAgree, optDisagree;

    // Information page (in picReadme; txtReadme in picSubReadme)
    Label lblReadMe, lblSubReadme;
    Line lneReadme;
    Panel picSubReadme;
    TextBox txtReadme;

    // Installing page (in picInstall; lblStatus, picProgCon, lblInstall in picSubInstall;
    // picProg and lblPercent in picProgCon)
    Label lblInstalling;
    Line lneInstall;
    Panel picSubInstall;
    Label lblStatus;
    Panel picProgCon;
    FilledRect picProg;
    Label lblPercent;
    Label lblInstall;

    // Finish page (in picFinish)
    Label lblFinish, lblFinishText, lblFinishFinish;

    // Variables of a run
    std::string AppPath;     // folder of the running executable, ending in the separator
    std::string ExtractPath; // the private extraction folder, ending in the separator
    std::string PackageTitle;
    std::string URL;
    std::string URLTitle;
    bool AddFav = false;
    bool License = false;
    bool ReadMe = false;
};

// The small notice shown while the package is read and extracted.
struct ExtractingForm {
    ExtractingForm();

    std::string caption = "Extracting...";
    bool visible = false;
    bool loaded = false;
    int clientWidth = 3015; // twips
    int clientHeight = 450;
    Label lblExtracting;
};

} // namespace kernova
