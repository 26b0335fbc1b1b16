#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kernova::qt {

// How the installer meets the user: on a desktop, or without one (scripts, servers, CI),
// where Qt runs offscreen and message boxes go to standard error.
enum class DisplayMode { Desktop, Headless };

struct DisplayChoice {
    DisplayMode mode = DisplayMode::Desktop;
    // The Qt platform to ask for ("-platform" argument), empty for Qt's own choice.
    std::string platform;
};

// Decides from the environment (`getenv` returns nullptr for an unset variable):
// - QT_QPA_PLATFORM set by the user is respected; "offscreen" and "minimal" have no screen
//   anyone can see, so they run headless;
// - otherwise neither DISPLAY nor WAYLAND_DISPLAY means headless (offscreen);
// - otherwise the desktop, falling back to offscreen when its display cannot be reached,
//   so a stale DISPLAY does not stop a scripted /I or /E.
DisplayChoice ChooseDisplay(const std::function<const char*(const char*)>& getenv);

// After Qt started: the platform it actually runs on decides (a desktop whose display could
// not be reached ends up offscreen).
DisplayMode ModeOfPlatform(const std::string& platformName);

} // namespace kernova::qt
