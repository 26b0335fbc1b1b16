#pragma once

#include "platform/message_box.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kernova {

struct Platform;

// What the installing and finish pages show of a run; the wizard copies it.
struct InstallState {
    struct Progress {
        int fillWidth = 0; // twips
        std::string percent;
    };
    enum class Outcome { Running, Installed, Failed };

    std::string status;               // "Copying <name>", "Registering <name>", ...
    std::optional<Progress> progress; // once the first font has been handled
    Outcome outcome = Outcome::Running;
    std::string failureText; // the finish text of a failed run; empty: the text stays
    // Why a failed run failed, one line each, naming the font or folder and the cause.
    std::vector<std::string> problems;
    bool environmentFault = false; // a problem was the machine's (a folder, a full disk)

    // What the run did: fonts new to the system, newer releases of installed ones, and
    // fonts that were there already.
    int installed = 0, updated = 0, present = 0;
};

// "3 installed, 1 updated, 2 already installed"
std::string SummaryLine(const InstallState& state);

// Where a run shows itself: the wizard repaints, a silent run shows nothing.
class InstallDisplay {
  public:
    virtual ~InstallDisplay() = default;
    // The run starts: the wizard shows its installing page as it now is.
    virtual void Begin() {}
    // Shows `state` now.
    virtual void Refresh(const InstallState& state) = 0;
    // One more font was handled: `state` is to be shown before long (the display decides
    // how often it paints and lets the window respond).
    virtual void Progress(const InstallState& state) { (void)state; }
    // The already-installed box, shown over `state`.
    virtual Answer AskAlreadyInstalled(const InstallState& state, const std::string& text,
                                       MessageButtons buttons) = 0;
};

// One installation run's request.
struct InstallRequest {
    std::vector<std::string> fonts; // entry names, in list order
    std::string extractPath;        // where they were extracted, ending in the separator
    std::string packageTitle;
    int troughWidth = 0;               // twips of the progress bar's trough
    std::function<void()> addFavorite; // empty: no Favorites entry
};

// Copies every font the system does not know yet into the fonts folder, registers what
// was copied, broadcasts the change and adds the Favorites entry. Never throws: a failure
// ends the run with Outcome::Failed, the failing stage's text and the problems. A run in
// which some font could not be installed (not a font, a copy that failed) has failed, even
// though the others are installed.
InstallState InstallFonts(Platform& platform, const InstallRequest& request,
                          InstallDisplay& display);

} // namespace kernova
