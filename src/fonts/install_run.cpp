#include "fonts/face_name.h"
#include "fonts/font_copy.h"
#include "fonts/font_registry.h"
#include "fonts/install_progress.h"
#include "fonts/stage_timings.h"
#include "platform/message_box.h"
#include "ui/favorites.h"
#include "ui/frm_main.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace kernova {
namespace {

// Where the run is; chooses the text of a failure.
enum InstallStage : std::int16_t {
    kPreparing = 0,
    kCopying = 1,
    kRegistering = 2,
    kFinishing = 3,
};

// A font that this run put into the fonts folder: only these are registered.
struct CopiedFont {
    std::string faceName;
    std::string fileName; // in the fonts folder: the entry's name or a free variant of it
};

struct CopyStageOutcome {
    std::vector<CopiedFont> copied; // in list order
    bool copyFailed = false;
};

std::string AlreadyInstalledText(const std::string& faceName) {
    return "The " + faceName + " font is already installed." + "\r\n\r\n" +
           "To install a new version, first remove the old version.";
}

void ShowFinishPage(MainForm& form, const char* buttonCaption) {
    form.picInstall.visible = false;
    form.picFinish.visible = true;
    form.cmdNext.enabled = true;
    form.cmdNext.caption = buttonCaption;
}

// The run's failure path. A silent run ends the program (cleaning up); the wizard shows
// the stage's text on the finish page.
void ShowInstallFailure(FrmMain& frm, bool silent, std::int16_t stage) {
    if (silent) {
        frm.EndProgram(ExitCode::InstallFailed);
    }
    MainForm& form = frm.form;
    const std::string lead = "Setup could not finish installing " + form.PackageTitle;
    if (stage == kCopying) {
        form.lblFinishText.caption = lead + " on your computer. Permission denied to copy fonts.";
    } else if (stage == kRegistering) {
        form.lblFinishText.caption =
            lead + " on your computer. Permission denied to register fonts.";
    }
    form.lblFinish.caption = "Could not install";
    ShowFinishPage(form, "&Close");
}

// Copies every font the system does not know yet, with the progress display. Stops at
// Cancel in the already-installed box. A font without a face name is no usable font and
// is skipped; a copy that fails is remembered and the rest still go.
CopyStageOutcome RunCopyStage(FrmMain& frm, const std::string& fontsFolder, StageTimings& timings) {
    struct Written {
        std::string faceName;
        std::size_t ticket;
    };
    MainForm& form = frm.form;
    FontDelivery delivery(fontsFolder);
    std::vector<Written> written;
    const int count = form.lstFonts.ListCount();
    int handled = 0;
    for (int index = 0; index < count; ++index) {
        const std::string& entry = form.lstFonts.List(index);
        const std::string extracted = form.ExtractPath + entry;
        std::string faceName;
        bool installed = false;
        {
            StageTimings::Scope measure(timings, StageTimings::Names);
            faceName = GetFontName(extracted);
            installed = IsFontNameInstalled(faceName);
        }
        form.lblStatus.caption = "Copying " + faceName;
        if (installed) {
            const int buttons = form.lstFonts.ListCount() == 1 ? MB_OK : MB_OKCANCEL;
            if (frm.runtime().MsgBox(AlreadyInstalledText(faceName),
                                     MB_ICONEXCLAMATION | buttons) == IDCANCEL) {
                break;
            }
        } else if (!faceName.empty()) {
            StageTimings::Scope measure(timings, StageTimings::Copies);
            written.push_back({faceName, delivery.AddOwnFile(extracted, entry)});
        }
        ++handled;
        const int listed = form.lstFonts.ListCount();
        form.picProg.rect.width = ProgressFillWidth(form.picProgCon.rect.width, listed, handled);
        form.lblPercent.caption = PercentText(listed, handled);
    }
    {
        StageTimings::Scope measure(timings, StageTimings::Copies);
        delivery.Finish();
    }
    CopyStageOutcome outcome;
    for (const Written& font : written) {
        const FontCopyResult& copy = delivery.result(font.ticket);
        if (copy.error) {
            outcome.copyFailed = true;
        } else {
            outcome.copied.push_back({font.faceName, copy.fileName});
        }
    }
    return outcome;
}

} // namespace

void FrmMain::InstallFonts(bool& Silent) {
    std::int16_t InstallStage = kPreparing;
    StageTimings timings;
    CopyStageOutcome outcome;
    try {
        form.cmdNext.enabled = false;
        form.cmdCancel.enabled = false;
        if (Silent) {
            form.visible = false;
        } else {
            runtime_.Refresh();
        }
        const std::string fontsFolder = GetFontsFolder();
        InstallStage = kCopying;
        if (fontsFolder.empty()) {
            ShowInstallFailure(*this, Silent, InstallStage);
            return;
        }
        outcome = RunCopyStage(*this, fontsFolder, timings);
        runtime_.Refresh();

        InstallStage = kRegistering;
        for (const CopiedFont& font : outcome.copied) {
            form.lblStatus.caption = "Registering " + font.faceName;
            StageTimings::Scope measure(timings, StageTimings::Registration);
            RegisterFont(font.faceName, font.fileName);
        }
        {
            StageTimings::Scope measure(timings, StageTimings::FontChange);
            BroadcastFontChange();
        }
        runtime_.Refresh();
        if (outcome.copyFailed) {
            // What was copied is installed; the rest is the copy stage's failure.
            timings.Print(std::cerr, static_cast<int>(outcome.copied.size()));
            ShowInstallFailure(*this, Silent, kCopying);
            return;
        }

        InstallStage = kFinishing;
        if (!form.URLTitle.empty() && !form.URL.empty() && form.AddFav) {
            form.lblStatus.caption = "Adding Favorites Entry";
            StageTimings::Scope measure(timings, StageTimings::Favorites);
            AddFavorite(form.URLTitle, form.URL);
        }
        runtime_.Refresh();
        ShowFinishPage(form, "&Finish");
    } catch (const std::exception&) {
        // Whatever failed, the user learns which stage did not finish; the run never
        // passes a failure on to the wizard.
        timings.Print(std::cerr, static_cast<int>(outcome.copied.size()));
        ShowInstallFailure(*this, Silent, InstallStage);
        return;
    }
    timings.Print(std::cerr, static_cast<int>(outcome.copied.size()));
}

// Copies one font into the fonts folder. Never reports: the run itself delivers its fonts
// through a FontDelivery, which says how each went. Like every copy into the fonts folder
// it never replaces another file there; a taken name gives the font a free one.
void FrmMain::CopyFont(const std::string& inName, const std::string& outName) {
    const std::string::size_type slash = outName.rfind('/');
    if (slash == std::string::npos) {
        return; // a bare name has no folder to go to
    }
    (void)CopyFontInto(inName, outName.substr(0, slash + 1), outName.substr(slash + 1));
}

} // namespace kernova
