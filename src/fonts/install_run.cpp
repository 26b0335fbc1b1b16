#include "fonts/install_run.h"

#include "fonts/face_name.h"
#include "fonts/font_copy.h"
#include "fonts/font_identity.h"
#include "fonts/font_registry.h"
#include "fonts/font_standing.h"
#include "fonts/install_progress.h"
#include "fonts/install_record.h"
#include "fonts/sfnt_directory.h"
#include "fonts/stage_timings.h"
#include "platform/file_system.h"
#include "platform/font_system.h"
#include "platform/path.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <iostream>
#include <map>
#include <set>
#include <system_error>

namespace kernova {
namespace {

// Where the run is; chooses the text of a failure.
enum class Stage { Preparing, Copying, Registering, Finishing };

// A font that this run put into the fonts folder: only these are registered.
struct CopiedFont {
    std::string faceName;
    std::string fileName;   // in the fonts folder: the entry's name or a free variant of it
    bool update = false;    // a newer release of a font that was installed
    bool existed = false;   // the very file was there already: not this package's to remove
    bool replaced = false;  // took the place of an older file of the same font
    RecordedFile described; // its size and digest, for the record
};

struct CopyStageOutcome {
    std::vector<CopiedFont> copied;        // in list order
    std::error_code copyError;             // the first copy that failed
    int present = 0;                       // fonts the system already had
    std::set<std::string> recordedAhead;   // names put on record before the fonts came
    std::vector<std::string> presentFiles; // installed files that already held its fonts
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

// A font as the run shows and judges it: the name the system gives it (a collection: its
// faces' names joined by " & ") and how it stands to the installed fonts. Only a font whose
// name is listed, or a collection, is read further: a package of new fonts costs no more.
struct JudgedFont {
    std::string shownName;
    FontStanding standing;
};

JudgedFont JudgeFont(Platform& platform, InstalledFonts& installed, const std::string& file,
                     const std::string& faceName) {
    JudgedFont font{faceName, {}};
    std::error_code ec;
    std::unique_ptr<InputFile> in = platform.files.Open(file, ec);
    const bool collection = in && SfntKindOf(*in) == SfntKind::Collection;
    if (!collection && !IsFontNameInstalled(platform.fonts, faceName)) {
        return font;
    }
    const std::vector<FaceIdentity> faces =
        in ? ReadFaceIdentities(*in) : std::vector<FaceIdentity>();
    if (collection && !faces.empty()) {
        font.shownName = JoinedFaceNames(faces);
    }
    font.standing = installed.Judge(faces, faceName);
    return font;
}

// Copies every font the system does not have in this or a newer release, with the
// progress display; a newer release takes the place of the older file of the same font.
// Stops at Cancel in the already-installed box. A font without a face name is no usable
// font: it is a problem, and the rest still go; so is a copy that fails.
CopyStageOutcome RunCopyStage(Platform& platform, const InstallRequest& request,
                              const std::string& fontsFolder, InstallState& state,
                              InstallDisplay& display, StageTimings& timings) {
    struct Written {
        std::string faceName, entry;
        std::size_t ticket;
        bool update;
        std::string replaced; // the older file let go of for this one, as registered
    };
    CopyStageOutcome outcome;
    FontDelivery delivery(platform.files, fontsFolder);
    InstalledFonts installed(platform, fontsFolder);
    // Each group of fonts is on record before it is in place: a run killed, or a disk that
    // fills, between the two never leaves fonts that /U cannot remove.
    std::map<std::string, RecordedFile> described; // by extracted file
    std::set<std::string> replacing;               // names of older files being replaced
    std::error_code recordError;
    delivery.OnBeforeNaming([&](const std::vector<PlannedFont>& group) {
        RecordChange change;
        for (const PlannedFont& font : group) {
            RecordedFile file = described[font.source];
            file.name = font.name;
            change.installed.push_back(file);
            if (replacing.count(font.name) != 0) {
                change.replaced.push_back(font.name);
            }
        }
        std::error_code ec =
            RecordInstall(platform.files, fontsFolder, request.packageTitle, change);
        if (ec) {
            recordError = recordError ? recordError : ec;
            return recordError;
        }
        for (const PlannedFont& font : group) {
            outcome.recordedAhead.insert(font.name);
        }
        return ec;
    });
    std::vector<Written> written;
    const int count = static_cast<int>(request.fonts.size());
    for (int index = 0; index < count; ++index) {
        const std::string& entry = request.fonts[static_cast<std::size_t>(index)];
        const std::string extracted = request.extractPath + entry;
        std::string faceName;
        JudgedFont font;
        {
            StageTimings::Scope measure(timings, StageTimings::Names);
            faceName = GetFontName(platform.fonts, extracted);
            font = JudgeFont(platform, installed, extracted, faceName);
        }
        const bool update = font.standing.standing == Standing::Update;
        state.status = (update ? "Updating " : "Copying ") + font.shownName;
        if (faceName.empty()) {
            state.problems.push_back(entry + " is not a font file");
        } else if (font.standing.standing == Standing::Present) {
            ++outcome.present;
            for (const std::string& path : font.standing.presentFiles) {
                outcome.presentFiles.push_back(path);
            }
            const MessageButtons buttons =
                count == 1 ? MessageButtons::Ok : MessageButtons::OkCancel;
            if (display.AskAlreadyInstalled(state, AlreadyInstalledText(font.shownName), buttons) ==
                Answer::Cancel) {
                break;
            }
        } else if (std::error_code ec =
                       DescribeFile(platform.files, extracted, described[extracted])) {
            state.problems.push_back("cannot read " + entry + ": " + ec.message());
            state.environmentFault = true;
        } else if (!font.standing.replaces.empty()) {
            StageTimings::Scope measure(timings, StageTimings::Copies);
            replacing.insert(font.standing.replaces);
            // The system lets go of the older file, which it may hold open, before the
            // newer one takes its name; should that fail, the older one is registered again.
            const std::string older = fontsFolder + font.standing.replaces;
            platform.fonts.Unregister(older);
            written.push_back({font.shownName, entry,
                               delivery.AddOwnFileReplacing(extracted, font.standing.replaces),
                               true, older});
        } else {
            StageTimings::Scope measure(timings, StageTimings::Copies);
            written.push_back(
                {font.shownName, entry, delivery.AddOwnFile(extracted, entry), update, {}});
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
    int unrecorded = 0;
    for (const Written& font : written) {
        const FontCopyResult& copy = delivery.result(font.ticket);
        if (copy.held) {
            ++unrecorded; // told once, below
        } else if (copy.error) {
            state.problems.push_back("cannot " + std::string(font.update ? "update " : "copy ") +
                                     font.entry + " to " + ShownFolder(fontsFolder) + ": " +
                                     copy.error.message());
            state.environmentFault = true;
            if (!font.replaced.empty()) {
                (void)platform.fonts.Register(font.faceName, font.replaced); // as it was
            }
            if (!outcome.copyError) {
                outcome.copyError = copy.error;
            }
        } else if (delivered.insert(copy.fileName).second) { // one file is registered once
            RecordedFile file = described[request.extractPath + font.entry];
            file.name = copy.fileName;
            outcome.copied.push_back({font.faceName, copy.fileName, font.update, copy.existed,
                                      !font.replaced.empty(), file});
        }
    }
    if (unrecorded > 0) {
        state.problems.push_back("cannot record the installed fonts in " + fontsFolder +
                                 kInstallRecordName + ": " + RecordProblem(recordError) + " (" +
                                 std::to_string(unrecorded) + " not installed)");
        state.environmentFault = true;
        outcome.copyError = outcome.copyError ? outcome.copyError : recordError;
    }
    return outcome;
}

} // namespace

std::string SummaryLine(const InstallState& state) {
    return std::to_string(state.installed) + " installed, " + std::to_string(state.updated) +
           " updated, " + std::to_string(state.present) + " already installed";
}

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
        state.present = outcome.present;
        RecordChange change; // the record as the run ended
        std::set<std::string> came;
        for (const CopiedFont& font : outcome.copied) {
            if (font.existed) {
                ++state.present;
                change.present.push_back(fontsFolder + font.fileName);
            } else {
                ++(font.update ? state.updated : state.installed);
                came.insert(font.fileName);
                change.installed.push_back(font.described);
                if (font.replaced) {
                    change.replaced.push_back(font.fileName);
                }
            }
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
        // The names the fonts got, what the package relies on, and nothing of what was put
        // on record ahead but did not come.
        change.present.insert(change.present.end(), outcome.presentFiles.begin(),
                              outcome.presentFiles.end());
        for (const std::string& name : outcome.recordedAhead) {
            if (came.count(name) == 0) {
                change.dropped.push_back(name);
            }
        }
        if (!change.installed.empty() || !change.present.empty() || !change.dropped.empty()) {
            if (std::error_code ec =
                    RecordInstall(platform.files, fontsFolder, request.packageTitle, change)) {
                state.problems.push_back("cannot update the record of installed fonts " +
                                         fontsFolder + kInstallRecordName + ": " +
                                         RecordProblem(ec) + " (the fonts in place are on it)");
                state.environmentFault = true;
                outcome.copyError = outcome.copyError ? outcome.copyError : ec;
            }
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
