#pragma once

#include <string>
#include <vector>

namespace kernova {

struct Platform;

// What /U did.
struct UninstallState {
    int removed = 0;
    int kept = 0;
    int failed = 0;                    // could not be removed: still installed, still on record
    std::vector<std::string> notes;    // each file kept, and why
    std::vector<std::string> problems; // each file that could not be removed, and why
};

// "2 removed, 1 kept", and ", 3 not removed" when some could not be
std::string UninstallSummaryLine(const UninstallState& state);

// Removes the font files the package `title` installed, as its record says, unregisters
// them and broadcasts the change. A file is kept when it changed since (the user's own
// under that name) or when another package's record names it too. The record keeps what
// could not be removed, so that a later /U can try again. Never throws.
UninstallState UninstallFonts(Platform& platform, const std::string& title);

} // namespace kernova
