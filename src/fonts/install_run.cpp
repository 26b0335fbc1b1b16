#include "fonts/install_run.h"

#include "fonts/face_name.h"
#include "fonts/font_copy.h"
#include "fonts/font_registry.h"
#include "fonts/install_progress.h"
#include "fonts/stage_timings.h"
#include "platform/platform.h"

#include <cstddef>
#include <exception>
#include <iostream>

namespace kernova {
namespace {

// Where the run is; chooses the text of a failure.
enum class Stage { Preparing, Copying, Registering, Finishing };

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

void Fail(InstallState& state, const std::string& packageTitle, Stage stage) {
    const std::string lead = "Setup could not finish installing " + packageTitle;
    if (stage == Stage::Copying) {
        state.failureText = lead + " on your computer. Permission denied to copy fonts.";
    } else if (stage == Stage::Registering) {
        state.failureText = lead + " on your computer. Permission denied to register fonts.";
    }
    state.outcome = InstallState::Outcome::Failed;
}

// Copies every font the system does not know yet, with the progress display. Stops at
// Cancel in the already-installed box. A font without a face name is no usable font and
// is skipped; a copy that fails is remembered and the rest still go.
CopyStageOutcome RunCopyStage(Platform& platform, const InstallRequest& request,
                              const std::string& fontsFolder, InstallState& state,
                              InstallDisplay& display, StageTimings& timings) {
    struct Written {
        std::string faceName;
        std::size_t ticket;
    };
    FontDelivery delivery(platform.files, fontsFolder);
    std::vector<Written> written;
    const int count = static_cast<int>(request.fonts.size());
    for (int index = 0; index < count; ++index) {
        const std::string& entry = request.fonts[static_cast<std::size_t>(index)];
        const std::string extracted = request.extractPath + entry;
        std::string faceName;
        bool installed = false;
        {
            StageTimings::Scope measure(timings, StageTimings::Names);
            faceName = GetFontName(platform.fonts, extracted);
            installed = IsFontNameInstalled(platform.fonts, faceName);
        }
        state.status = "Copying " + faceName;
        if (installed) {
            const MessageButtons buttons =
                count == 1 ? MessageButtons::Ok : MessageButtons::OkCancel;
            if (display.AskAlreadyInstalled(state, AlreadyInstalledText(faceName), buttons) ==
                Answer::Cancel) {
                break;
            }
        } else if (!faceName.empty()) {
            StageTimings::Scope measure(timings, StageTimings::Copies);
            written.push_back({faceName, delivery.AddOwnFile(extracted, entry)});
        }
        state.progress =
            InstallState::Progress{ProgressFillWidth(request.troughWidth, count, index + 1),
                                   PercentText(count, index + 1)};
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

InstallState InstallFonts(Platform& platform, const InstallRequest& request,
                          InstallDisplay& display) {
    InstallState state;
    Stage stage = Stage::Preparing;
    StageTimings timings;
    CopyStageOutcome outcome;
    try {
        display.Begin();
        const std::string fontsFolder = GetFontsFolder(platform.folders);
        stage = Stage::Copying;
        if (fontsFolder.empty()) {
            Fail(state, request.packageTitle, stage);
            return state;
        }
        // What a killed run left staged there goes before this run's own files come.
        platform.files.RemoveStaleStagedFiles(fontsFolder);
        outcome = RunCopyStage(platform, request, fontsFolder, state, display, timings);
        display.Refresh(state);

        stage = Stage::Registering;
        for (const CopiedFont& font : outcome.copied) {
            state.status = "Registering " + font.faceName;
            StageTimings::Scope measure(timings, StageTimings::Registration);
            RegisterFont(platform.fonts, fontsFolder, font.faceName, font.fileName);
        }
        {
            StageTimings::Scope measure(timings, StageTimings::FontChange);
            BroadcastFontChange(platform.fonts);
        }
        display.Refresh(state);
        if (outcome.copyFailed) {
            // What was copied is installed; the rest is the copy stage's failure.
            Fail(state, request.packageTitle, Stage::Copying);
        } else {
            stage = Stage::Finishing;
            if (request.addFavorite) {
                state.status = "Adding Favorites Entry";
                StageTimings::Scope measure(timings, StageTimings::Favorites);
                request.addFavorite();
            }
            display.Refresh(state);
            state.outcome = InstallState::Outcome::Installed;
        }
    } catch (const std::exception&) {
        // Whatever failed, the user learns which stage did not finish; the run never
        // passes a failure on to the wizard.
        Fail(state, request.packageTitle, stage);
    }
    timings.Print(std::cerr, static_cast<int>(outcome.copied.size()));
    return state;
}

} // namespace kernova
