// Which way the installer meets its user, from the environment it starts in.

#include "platform/qt/display_mode.h"
#include "platform/qt/startup_info.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace kernova::test {
namespace {

using qt::DisplayMode;

TEST(DisplayChoice, FollowsTheEnvironment) {
    using Env = std::map<std::string, std::string>;
    const std::tuple<Env, DisplayMode, std::string> cases[] = {
        {{}, DisplayMode::Headless, "offscreen"},
        {{{"DISPLAY", ""}}, DisplayMode::Headless, "offscreen"},
        {{{"DISPLAY", ":0"}}, DisplayMode::Desktop, "xcb;offscreen"},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, DisplayMode::Desktop, "wayland;offscreen"},
        {{{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}},
         DisplayMode::Desktop,
         "xcb;wayland;offscreen"},
        // The user's own choice of platform stands.
        {{{"QT_QPA_PLATFORM", "xcb"}}, DisplayMode::Desktop, ""},
        {{{"QT_QPA_PLATFORM", "offscreen"}, {"DISPLAY", ":0"}}, DisplayMode::Headless, ""},
        {{{"QT_QPA_PLATFORM", "minimal"}}, DisplayMode::Headless, ""}};
    for (const auto& [env, mode, platform] : cases) {
        auto choice = qt::ChooseDisplay([&](const char* name) -> const char* {
            auto found = env.find(name);
            return found == env.end() ? nullptr : found->second.c_str();
        });
        EXPECT_EQ(choice.mode, mode) << platform;
        EXPECT_EQ(choice.platform, platform);
    }
}

// A desktop that was unreachable and fell back to offscreen is headless.
TEST(DisplayChoice, ModeOfTheStartedPlatform) {
    EXPECT_EQ(qt::ModeOfPlatform("offscreen"), DisplayMode::Headless);
    EXPECT_EQ(qt::ModeOfPlatform("xcb"), DisplayMode::Desktop);
    EXPECT_EQ(qt::ModeOfPlatform("wayland"), DisplayMode::Desktop);
}

TEST(StartupInfo, TailIsTheArgumentsJoinedBySingleSpaces) {
    const char* argv[] = {"setup", "/e", "  x", "", "/I", nullptr};
    StartupInfo info = qt::MakeStartupInfo(5, argv);
    EXPECT_EQ(info.commandLine, "/e   x  /I");
    EXPECT_EQ(info.executablePath, std::filesystem::read_symlink("/proc/self/exe").string());
    EXPECT_EQ(qt::MakeStartupInfo(1, argv).commandLine, "");
}

} // namespace
} // namespace kernova::test
