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

struct SwitchCase {
    const char* name;
    std::string tail;
    CommandLineSwitch expected;
};

const SwitchCase kSwitchCases[] = {
    {"NoArguments", "", CommandLineSwitch::None},
    {"OnlySpaces", "   ", CommandLineSwitch::None},
    {"LowerE", "/e", CommandLineSwitch::Extract},
    {"UpperE", "/E", CommandLineSwitch::Extract},
    {"ESurroundedBySpaces", "  /E  ", CommandLineSwitch::Extract},
    {"LowerI", "/i", CommandLineSwitch::Install},
    {"ExtractWinsWhenLast", "/I /E", CommandLineSwitch::Extract},
    {"InstallWinsWhenLast", "/E /I", CommandLineSwitch::Install},
    {"Usage", "/?", CommandLineSwitch::Usage},
    {"UsageAfterText", "x/?", CommandLineSwitch::Usage},
    {"EWithDigit", "/E2", CommandLineSwitch::None},
    {"DashE", "-E", CommandLineSwitch::None},
    {"LongExtract", "/EXTRACT", CommandLineSwitch::None},
    {"BareE", "E", CommandLineSwitch::None},
    {"TrailingTabNotTrimmed", "/E\t", CommandLineSwitch::None},
    {"LeadingTabDoesNotMatter", "\t/E", CommandLineSwitch::Extract},
    {"SlashAlone", "/", CommandLineSwitch::None},
    {"UsageInTheMiddle", "/? x", CommandLineSwitch::None},
};

class CommandLineTest : public ::testing::TestWithParam<SwitchCase> {
  protected:
    test::Sandbox sandbox;
    fs::path appFolder = sandbox.work() / "app";

    fs::path Installer() {
        return test::MakeInstaller(
            appFolder, {
                           test::BytesEntry("readme.txt", "Read me\r\n"),
                           test::BytesEntry("notes.dat", std::string("\0\1\2", 3)),
                           test::DescriptorEntry({{"Title", "Switches"}, {"Readme", "True"}}),
                       });
    }
};

TEST_P(CommandLineTest, SwitchOfReadsTheLastTwoCharacters) {
    EXPECT_EQ(SwitchOf(GetParam().tail), GetParam().expected);
}

TEST_P(CommandLineTest, FormLoadActsOnTheSwitch) {
    const fs::path installer = Installer();
    test::FakeRuntime runtime;
    FrmMain frm(runtime, {installer.string(), GetParam().tail});
    frm.Form_Initialize();
    const std::optional<ExitCode> ended = EndsProgram([&] { frm.Form_Load(); });

    switch (GetParam().expected) {
    case CommandLineSwitch::None:
        ASSERT_FALSE(ended.has_value());
        EXPECT_TRUE(frm.form.picWelcome.visible);
        EXPECT_TRUE(frm.form.visible);
        EXPECT_TRUE(runtime.boxes.empty());
        break;
    case CommandLineSwitch::Extract:
        ASSERT_EQ(ended, ExitCode::Done);
        // A copy of every entry beside the installer, nothing left in the temporary folder.
        EXPECT_EQ(
            FolderContents(appFolder),
            (std::vector<std::string>{"kernova.xml", "notes.dat", "readme.txt", "setup-kernova"}));
        EXPECT_EQ(test::ReadFileBytes(appFolder / "notes.dat"), std::string("\0\1\2", 3));
        EXPECT_EQ(test::ReadFileBytes(appFolder / "readme.txt"), "Read me\r\n");
        EXPECT_TRUE(runtime.boxes.empty());
        break;
    case CommandLineSwitch::Install:
        // Nothing to install in this package: the silent run ends as done.
        ASSERT_EQ(ended, ExitCode::Done);
        EXPECT_FALSE(fs::exists(appFolder / "readme.txt"));
        break;
    case CommandLineSwitch::Usage:
        ASSERT_EQ(ended, ExitCode::Done);
        ASSERT_EQ(runtime.boxes.size(), 1u);
        EXPECT_EQ(runtime.boxes[0].text, "Command line options:\r\n\r\n/E -- Extract files\r\n"
                                         "/I -- Silent install");
        EXPECT_EQ(runtime.boxes[0].style, MB_ICONINFORMATION | MB_OK);
        EXPECT_EQ(runtime.boxes[0].title, "Kernova Installer");
        break;
    }
    if (ended) {
        // Every switch ends with the extracted files gone: the temporary folder is empty
        // while the window object still exists, so the ending itself cleaned up.
        EXPECT_TRUE(FolderContents(sandbox.tmp()).empty());
        // The switch ran with every page hidden.
        EXPECT_FALSE(frm.form.picWelcome.visible);
        EXPECT_FALSE(frm.frmExtracting.loaded);
    }
}

INSTANTIATE_TEST_SUITE_P(Tails, CommandLineTest, ::testing::ValuesIn(kSwitchCases),
                         [](const auto& info) { return std::string(info.param.name); });

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
