// The command line: only the last two characters of the trimmed, upper-cased tail count.
// Every row runs against a real small package, so the switches really act.
#include "app/command_line.h"
#include "platform/message_box.h"
#include "support/fake_runtime.h"
#include "support/sandbox.h"
#include "support/wizard_package.h"
#include "ui/frm_main.h"

#include <gtest/gtest.h>
#include <string>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using test::EndsProgram;
using test::FolderContents;

using Switch = CommandLineSwitch;
using SwitchCase = std::pair<std::string, Switch>;

const SwitchCase kSwitchCases[] = {
    {"", Switch::None},          {"   ", Switch::None},      {"/e", Switch::Extract},
    {"  /E  ", Switch::Extract}, {"/I /E", Switch::Extract}, {"/E /i", Switch::Install},
    {"/?", Switch::Usage},       {"x/?", Switch::Usage},     {"/E2", Switch::None},
    {"-E", Switch::None},        {"/EXTRACT", Switch::None}, {"E", Switch::None},
    {"/E\t", Switch::None},      {"\t/E", Switch::Extract},  {"/? x", Switch::None},
};

class CommandLineTest : public ::testing::TestWithParam<SwitchCase> {
  protected:
    test::Sandbox sandbox;
    fs::path appFolder = sandbox.work() / "app";
};

TEST_P(CommandLineTest, FormLoadActsOnTheSwitch) {
    EXPECT_EQ(SwitchOf(GetParam().first), GetParam().second);
    const fs::path installer = test::MakeInstaller(
        appFolder, {test::BytesEntry("readme.txt", "Read me\r\n"),
                    test::BytesEntry("notes.dat", std::string("\0\1\2", 3)),
                    test::DescriptorEntry({{"Title", "Switches"}, {"Readme", "True"}})});
    test::FakeRuntime runtime;
    FrmMain frm(runtime, {installer.string(), GetParam().first});
    frm.Form_Initialize();
    const std::optional<ExitCode> ended = EndsProgram([&] { frm.Form_Load(); });

    switch (GetParam().second) {
    case Switch::None:
        ASSERT_FALSE(ended.has_value());
        EXPECT_TRUE(frm.form.picWelcome.visible && frm.form.visible);
        EXPECT_TRUE(runtime.boxes.empty());
        break;
    case Switch::Extract:
        ASSERT_EQ(ended, ExitCode::Done);
        // A copy of every entry beside the installer, nothing left in the temporary folder.
        EXPECT_EQ(
            FolderContents(appFolder),
            (std::vector<std::string>{"kernova.xml", "notes.dat", "readme.txt", "setup-kernova"}));
        EXPECT_EQ(test::ReadFileBytes(appFolder / "notes.dat"), std::string("\0\1\2", 3));
        EXPECT_EQ(test::ReadFileBytes(appFolder / "readme.txt"), "Read me\r\n");
        EXPECT_TRUE(runtime.boxes.empty());
        break;
    case Switch::Install:
        // Nothing to install in this package: the silent run ends as done.
        ASSERT_EQ(ended, ExitCode::Done);
        EXPECT_FALSE(fs::exists(appFolder / "readme.txt"));
        break;
    case Switch::Usage:
        ASSERT_EQ(ended, ExitCode::Done);
        ASSERT_EQ(runtime.boxes.size(), 1u);
        EXPECT_EQ(runtime.boxes[0].text, "Command line options:\r\n\r\n/E -- Extract files\r\n"
                                         "/I -- Silent install");
        EXPECT_EQ(runtime.boxes[0].style, MB_ICONINFORMATION | MB_OK);
        EXPECT_EQ(runtime.boxes[0].title, "Kernova Installer");
        break;
    }
    if (ended) {
        // The ending itself removed the extracted files (the window object still exists),
        // and the switch ran with every page hidden.
        EXPECT_TRUE(FolderContents(sandbox.tmp()).empty());
        EXPECT_FALSE(frm.form.picWelcome.visible);
        EXPECT_FALSE(frm.frmExtracting.loaded);
    }
}

INSTANTIATE_TEST_SUITE_P(Tails, CommandLineTest, ::testing::ValuesIn(kSwitchCases));

// A package that cannot be loaded shows the corrupt message, never the usage.
TEST(CommandLineCorruptPackage, UsageOnACorruptPackageShowsTheCorruptMessage) {
    test::Sandbox sandbox;
    const fs::path bogus = sandbox.work() / "not-an-installer";
    test::WriteFileBytes(bogus, std::string(2000, 'x'));
    test::FakeRuntime runtime;
    FrmMain frm(runtime, {bogus.string(), "/?"});
    EXPECT_EQ(EndsProgram([&] { frm.Form_Load(); }), ExitCode::CorruptPackage);
    ASSERT_EQ(runtime.boxes.size(), 1u);
    EXPECT_EQ(runtime.boxes[0].text, "This Kernova Installer is corrupt.");
    EXPECT_TRUE(FolderContents(sandbox.tmp()).empty());
}

} // namespace
} // namespace kernova
