// A font vendor packs fonts with kernova-pack; a user runs the installer with /I on a
// machine without a display. Everything is seen from outside: exit status, files, and what
// a new fontconfig client lists.
#include "platform/exit_code.h"
#include "support/font_listing.h"
#include "support/installer_process.h"
#include "support/sandbox.h"
#include "support/wizard_package.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using test::FolderFiles;
using test::ReadFileBytes;
using test::TestFont;

constexpr const char* kMono = "KernovaSampleMono-Regular.ttf";
constexpr const char* kSans = "KernovaSampleSans-Regular.ttf";
constexpr const char* kSerif = "KernovaSampleSerif-Regular.ttf";

class SilentInstallE2eTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::Pack({"-o", installer.string(), "--title", "Kernova Sample", TestFont(kMono).string(),
                    TestFont(kSans).string(), TestFont(kSerif).string()});
    }

    test::ProcessResult Install() { return test::RunInstaller(sandbox, installer, {"/I"}); }

    std::set<std::string> ListedNames() {
        std::set<std::string> names;
        for (const test::ListedFont& font : test::ListFontsInNewProcess(sandbox.environment())) {
            names.insert(font.fullName);
        }
        return names;
    }

    void ExpectNothingLeftInTheTemporaryFolder() {
        EXPECT_EQ(test::FolderContents(sandbox.tmp()), std::vector<std::string>{});
    }

    test::Sandbox sandbox;
    fs::path installer = sandbox.work() / "KernovaSample.run";
};

const std::set<std::string> kThreeNames = {"Kernova Sample Mono", "Kernova Sample Sans",
                                           "Kernova Sample Serif"};

TEST_F(SilentInstallE2eTest, InstallsThreeFontsAndRunningAgainChangesNothing) {
    test::ProcessResult result = Install();

    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::map<std::string, std::string> files = FolderFiles(sandbox.fontsDir());
    ASSERT_EQ(files.size(), 3u);
    for (const char* font : {kMono, kSans, kSerif}) {
        EXPECT_EQ(files.at(font), ReadFileBytes(TestFont(font))) << font;
    }
    EXPECT_EQ(ListedNames(), kThreeNames);
    ExpectNothingLeftInTheTemporaryFolder();

    test::ProcessResult again = Install();

    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(FolderFiles(sandbox.fontsDir()), files);
    // Without a display the already-installed box is written to standard error.
    for (const char* name : {"Mono", "Sans", "Serif"}) {
        EXPECT_NE(again.err.find(std::string("The Kernova Sample ") + name +
                                 " font is already installed."),
                  std::string::npos)
            << again.err;
    }
    EXPECT_EQ(ListedNames(), kThreeNames);
    ExpectNothingLeftInTheTemporaryFolder();
}

TEST_F(SilentInstallE2eTest, AnUnwritableFontsFolderFailsWithTheStatusAndCleansUp) {
    fs::permissions(sandbox.fontsDir(), fs::perms(0555));

    test::ProcessResult result = Install();

    fs::permissions(sandbox.fontsDir(), fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(result.exitCode, static_cast<int>(ExitCode::InstallFailed)) << result.err;
    EXPECT_TRUE(FolderFiles(sandbox.fontsDir()).empty());
    EXPECT_TRUE(ListedNames().empty());
    ExpectNothingLeftInTheTemporaryFolder();
}

} // namespace
} // namespace kernova
