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

class SilentInstallTest : public ::testing::TestWithParam<bool> {
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

// With a fonts folder that can or cannot be written: the status tells, no message is shown
// (scripts read the status), the window stays hidden.
TEST_P(SilentInstallTest, EndsWithTheStatusAndCleansUp) {
    const bool fails = GetParam();
    if (fails) {
        fs::permissions(sandbox.fontsDir(), fs::perms(0555));
    }

    EXPECT_EQ(RunSilently(), fails ? ExitCode::InstallFailed : ExitCode::Done);

    fs::permissions(sandbox.fontsDir(), fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(test::FolderContents(sandbox.fontsDir()).size(), fails ? 0u : 2u);
    EXPECT_EQ(IsFontInstalled(TestFont(kSans).string()), !fails);
    EXPECT_FALSE(frm->form.visible);
    EXPECT_TRUE(runtime.boxes.empty());
    EXPECT_TRUE(test::FolderContents(sandbox.tmp()).empty());
}

INSTANTIATE_TEST_SUITE_P(FontsFolder, SilentInstallTest, ::testing::Bool());

} // namespace
} // namespace kernova
