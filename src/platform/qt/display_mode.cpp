#include "platform/qt/display_mode.h"

namespace kernova::qt {
namespace {

bool IsSet(const char* value) {
    return value != nullptr && *value != '\0';
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

} // namespace

DisplayMode ModeOfPlatform(const std::string& platformName) {
    return StartsWith(platformName, "offscreen") || StartsWith(platformName, "minimal")
               ? DisplayMode::Headless
               : DisplayMode::Desktop;
}

DisplayChoice ChooseDisplay(const std::function<const char*(const char*)>& getenv) {
    const char* requested = getenv("QT_QPA_PLATFORM");
    if (IsSet(requested)) {
        return {ModeOfPlatform(requested), {}};
    }
    bool x11 = IsSet(getenv("DISPLAY"));
    bool wayland = IsSet(getenv("WAYLAND_DISPLAY"));
    if (!x11 && !wayland) {
        return {DisplayMode::Headless, "offscreen"};
    }
    // X first when both are there: Qt's own default on this platform.
    std::string platforms;
    if (x11) {
        platforms += "xcb;";
    }
    if (wayland) {
        platforms += "wayland;";
    }
    return {DisplayMode::Desktop, platforms + "offscreen"};
}

} // namespace kernova::qt
