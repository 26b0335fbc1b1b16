// Which way the installer meets its user, from the environment it starts in.

#include "platform/qt/display_mode.h"
#include "platform/qt/startup_info.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace kernova::test {
namespace {

using qt::DisplayMode;

struct DisplayCase {
    const char* name;
    std::map<std::string, std::string> env;
    DisplayMode mode;
    std::string platform;
};

void PrintTo(const DisplayCase& c, std::ostream* out) {
    *out << c.name;
}

class DisplayChoice : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayChoice, FollowsTheEnvironment) {
    const DisplayCase& param = GetParam();
    auto choice = qt::ChooseDisplay([&](const char* name) -> const char* {
        auto found = param.env.find(name);
        return found == param.env.end() ? nullptr : found->second.c_str();
    });
    EXPECT_EQ(choice.mode, param.mode);
    EXPECT_EQ(choice.platform, param.platform);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, DisplayChoice,
    ::testing::Values(
        DisplayCase{"nothing", {}, DisplayMode::Headless, "offscreen"},
        DisplayCase{"emptyDisplay", {{"DISPLAY", ""}}, DisplayMode::Headless, "offscreen"},
        DisplayCase{"x11", {{"DISPLAY", ":0"}}, DisplayMode::Desktop, "xcb;offscreen"},
        DisplayCase{"wayland",
                    {{"WAYLAND_DISPLAY", "wayland-0"}},
                    DisplayMode::Desktop,
                    "wayland;offscreen"},
        DisplayCase{"both",
                    {{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}},
                    DisplayMode::Desktop,
                    "xcb;wayland;offscreen"},
        DisplayCase{"userChoseXcb", {{"QT_QPA_PLATFORM", "xcb"}}, DisplayMode::Desktop, ""},
        DisplayCase{"userChoseOffscreen",
                    {{"QT_QPA_PLATFORM", "offscreen"}, {"DISPLAY", ":0"}},
                    DisplayMode::Headless,
                    ""},
        DisplayCase{
            "userChoseMinimal", {{"QT_QPA_PLATFORM", "minimal"}}, DisplayMode::Headless, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DisplayChoice, AnUnreachableDesktopThatFellBackToOffscreenIsHeadless) {
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
