// The silent installation ("/I") from the start-up sequence: installed fonts, the exit
// status, and nothing of the run left in the temporary folder, whichever way it ends.
#include "fonts/font_registry.h"
#include "support/fake_runtime.h"
#include "support/sandbox.h"
#include "support/wizard_package.h"
#include "ui/frm_main.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using test::FileEntry;
using test::TestFont;

constexpr const char* kMono = "KernovaSampleMono-Regular.ttf";
constexpr const char* kSans = "KernovaSampleSans-Regular.ttf";

class SilentInstallTest : public ::testing::Test {
  protected:
    std::optional<ExitCode> RunSilently() {
        const fs::path installer = test::MakeInstaller(
            sandbox.work() / "app",
            {FileEntry(kMono, TestFont(kMono)), FileEntry(kSans, TestFont(kSans)),
             test::DescriptorEntry({{"Title", "Kernova Sample"}})});
        frm = std::make_unique<FrmMain>(runtime, StartupInfo{installer.string(), "/I"});
        frm->Form_Initialize();
        return test::EndsProgram([&] { frm->Form_Load(); });
    }

    test::Sandbox sandbox;
    test::FakeRuntime runtime;
    std::unique_ptr<FrmMain> frm;
};

TEST_F(SilentInstallTest, InstallsEndsDoneAndCleansUp) {
    EXPECT_EQ(RunSilently(), ExitCode::Done);

    EXPECT_TRUE(fs::exists(sandbox.fontsDir() / kMono));
    EXPECT_TRUE(fs::exists(sandbox.fontsDir() / kSans));
    EXPECT_TRUE(IsFontInstalled(TestFont(kSans).string()));
    EXPECT_FALSE(frm->form.visible);
    EXPECT_TRUE(runtime.boxes.empty());
    EXPECT_TRUE(test::FolderContents(sandbox.tmp()).empty());
}

TEST_F(SilentInstallTest, FailureEndsWithTheFailureStatusAndCleansUp) {
    fs::permissions(sandbox.fontsDir(), fs::perms(0555));

    EXPECT_EQ(RunSilently(), ExitCode::InstallFailed);

    fs::permissions(sandbox.fontsDir(), fs::perms::owner_all, fs::perm_options::add);
    EXPECT_TRUE(test::FolderContents(sandbox.fontsDir()).empty());
    EXPECT_FALSE(IsFontInstalled(TestFont(kSans).string()));
    EXPECT_TRUE(runtime.boxes.empty()); // no message: scripts read the status
    EXPECT_TRUE(test::FolderContents(sandbox.tmp()).empty());
}

} // namespace
} // namespace kernova
