#include "fonts/install_run.h"

#include "fonts/face_name.h"
#include "fonts/font_copy.h"
#include "fonts/font_registry.h"
#include "fonts/install_progress.h"
#include "fonts/stage_timings.h"
#include "platform/path.h"
#include "platform/platform.h"

#include <cstddef>
#include <exception>
#include <iostream>
#include <set>
#include <system_error>

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
    std::error_code copyError;      // the first copy that failed
    int present = 0;                // fonts the system already had
};

std::string AlreadyInstalledText(const std::string& faceName) {
    return "The " + faceName + " font is already installed." + "\r\n\r\n" +
           "To install a new version, first remove the old version.";
}

bool IsPermissionError(const std::error_code& ec) {
    return ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted ||
           ec == std::errc::read_only_file_system;
}

// The finish text names the stage; it blames permissions only when they were the cause.
void Fail(InstallState& state, const std::string& packageTitle, Stage stage,
          const std::error_code& cause = {}) {
    if (stage == Stage::Copying || stage == Stage::Registering) {
        state.failureText =
            "Setup could not finish installing " + packageTitle + " on your computer.";
        if (IsPermissionError(cause)) {
            state.failureText += stage == Stage::Copying ? " Permission denied to copy fonts."
                                                         : " Permission denied to register fonts.";
        }
    }
    state.outcome = InstallState::Outcome::Failed;
}

// Copies every font the system does not know yet, with the progress display. Stops at
// Cancel in the already-installed box. A font without a face name is no usable font: it is
// a problem, and the rest still go; so is a copy that fails.
CopyStageOutcome RunCopyStage(Platform& platform, const InstallRequest& request,
                              const std::string& fontsFolder, InstallState& state,
                              InstallDisplay& display, StageTimings& timings) {
    struct Written {
        std::string faceName, entry;
        std::size_t ticket;
    };
    CopyStageOutcome outcome;
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
        if (faceName.empty()) {
            state.problems.push_back(entry + " is not a font file");
        } else if (installed) {
            ++outcome.present;
            const MessageButtons buttons =
                count == 1 ? MessageButtons::Ok : MessageButtons::OkCancel;
            if (display.AskAlreadyInstalled(state, AlreadyInstalledText(faceName), buttons) ==
                Answer::Cancel) {
                break;
            }
        } else {
            StageTimings::Scope measure(timings, StageTimings::Copies);
            written.push_back({faceName, entry, delivery.AddOwnFile(extracted, entry)});
        }
        state.progress =
            InstallState::Progress{ProgressFillWidth(request.troughWidth, count, index + 1),
                                   PercentText(count, index + 1)};
        display.Progress(state);
    }
    {
        StageTimings::Scope measure(timings, StageTimings::Copies);
        delivery.Finish();
    }
    std::set<std::string> delivered;
    for (const Written& font : written) {
        const FontCopyResult& copy = delivery.result(font.ticket);
        if (copy.error) {
            state.problems.push_back("cannot copy " + font.entry + " to " +
                                     ShownFolder(fontsFolder) + ": " + copy.error.message());
            state.environmentFault = true;
            if (!outcome.copyError) {
                outcome.copyError = copy.error;
            }
        } else if (delivered.insert(copy.fileName).second) { // one file is registered once
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
            state.problems.push_back("there is no fonts folder to install into");
            state.environmentFault = true;
            Fail(state, request.packageTitle, stage);
            return state;
        }
        // One run at a time copies and registers here: a second one started meanwhile (a
        // double click, a retried script) waits and then finds the fonts in place.
        const std::unique_ptr<FolderLock> lock = platform.files.LockFolder(fontsFolder);
        // What a killed run left staged there goes before this run's own files come.
        platform.files.RemoveStaleStagedFiles(fontsFolder);
        outcome = RunCopyStage(platform, request, fontsFolder, state, display, timings);
        display.Refresh(state);

        stage = Stage::Registering;
        const std::size_t copyProblems = state.problems.size();
        std::error_code registerError; // the first record the registry refused
        for (const CopiedFont& font : outcome.copied) {
            state.status = "Registering " + font.faceName;
            StageTimings::Scope measure(timings, StageTimings::Registration);
            if (std::error_code ec =
                    RegisterFont(platform.fonts, fontsFolder, font.faceName, font.fileName)) {
                state.problems.push_back("cannot register " + font.faceName + " (" + font.fileName +
                                         "): " + ec.message());
                state.environmentFault = true;
                registerError = registerError ? registerError : ec;
            }
        }
        {
            StageTimings::Scope measure(timings, StageTimings::FontChange);
            BroadcastFontChange(platform.fonts);
        }
        display.Refresh(state);
        if (outcome.copied.empty() && outcome.present == 0) {
            state.problems.push_back(request.fonts.empty()
                                         ? request.packageTitle + " holds no fonts"
                                         : "no font of " + request.packageTitle +
                                               " could be installed");
        }
        if (!state.problems.empty()) {
            // What was copied and registered is installed; the rest is the failure of the
            // copy stage, or of registering when only that failed.
            const bool onlyRegistering = registerError && copyProblems == 0;
            Fail(state, request.packageTitle, onlyRegistering ? Stage::Registering : Stage::Copying,
                 onlyRegistering ? registerError : outcome.copyError);
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
    } catch (const std::system_error& failure) {
        // Whatever failed, the user learns which stage did not finish and why; the run
        // never passes a failure on to the wizard.
        state.problems.push_back(failure.what());
        state.environmentFault = true;
        Fail(state, request.packageTitle, stage, failure.code());
    } catch (const std::exception& failure) {
        state.problems.push_back(failure.what());
        Fail(state, request.packageTitle, stage);
    }
    timings.Print(std::cerr, static_cast<int>(outcome.copied.size()));
    return state;
}

} // namespace kernova
