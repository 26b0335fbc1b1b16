// The installer as a separate process without a display: the switches that work in
// scripts, the corrupt-package ending, and the wizard refusing to start with nowhere to
// show itself. Each run must leave nothing in the temporary folder.

#include "platform/exit_code.h"
#include "support/installer_process.h"
#include "support/sandbox.h"
#include "support/wizard_package.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using test::FolderContents;
using test::ProcessResult;
using test::ReadFileBytes;
using test::TestFont;

constexpr const char* kSans = "KernovaSampleSans-Regular.ttf";
constexpr const char* kSerif = "KernovaSampleSerif-Regular.ttf";
constexpr const char* kCorrupt = "Kernova Installer Error: This Kernova Installer is corrupt.\n";
constexpr const char* kUsage = "Kernova Installer: Command line options:\n\n/E -- Extract files\n"
                               "/I -- Silent install\n";

int Status(ExitCode code) {
    return static_cast<int>(code);
}

fs::path Sample(const char* name) {
    return fs::path(KERNOVA_SOURCE_DIR) / "samples" / name;
}

class WizardE2eTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(folder);
        test::Pack({"-o", installer.string(), "--title", "Kernova Sample", "--preview", "--license",
                    Sample("license.txt").string(), "--readme", Sample("readme.txt").string(),
                    "--side", Sample("side.png").string(), "--top", Sample("top.png").string(),
                    TestFont(kSans).string(), TestFont(kSerif).string()});
    }

    ProcessResult Run(const std::vector<std::string>& arguments,
                      const std::map<std::string, std::string>& env = {}) {
        ProcessResult result = test::RunInstaller(sandbox, installer, arguments, env);
        EXPECT_EQ(result.signal, 0) << result.err;
        return result;
    }

    void ExpectNothingLeftInTheTemporaryFolder() {
        EXPECT_EQ(FolderContents(sandbox.tmp()), std::vector<std::string>{});
    }

    // Overwrites bytes of the installer, `fromEnd` bytes before its end.
    void Damage(std::int64_t fromEnd, const std::string& bytes) {
        std::fstream file(installer, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(-fromEnd, std::ios::end);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(file.good());
    }

    test::Sandbox sandbox;
    fs::path folder = sandbox.work() / "downloads";
    fs::path installer = folder / "KernovaSample.run";
};

TEST_F(WizardE2eTest, ExtractSwitchCopiesEveryEntryBesideTheInstaller) {
    ProcessResult result = Run({"/E"});

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(FolderContents(folder),
              (std::vector<std::string>{"KernovaSample.run", "KernovaSampleSans-Regular.ttf",
                                        "KernovaSampleSerif-Regular.ttf", "LEFT.png", "TOP.png",
                                        "kernova.xml", "license.txt", "readme.txt"}));
    EXPECT_EQ(ReadFileBytes(folder / kSans), ReadFileBytes(TestFont(kSans)));
    EXPECT_EQ(ReadFileBytes(folder / "LEFT.png"), ReadFileBytes(Sample("side.png")));
    ExpectNothingLeftInTheTemporaryFolder();
}

// The second time with a stale display, which falls back to working without one.
TEST_F(WizardE2eTest, UsageWithoutADisplayGoesToStandardErrorAndSucceeds) {
    for (const auto& [tail, display] : {std::pair{"/?", ""}, std::pair{"x/?", ":97"}}) {
        ProcessResult result = Run({tail}, {{"DISPLAY", display}});
        EXPECT_EQ(result.exitCode, 0) << tail << result.err;
        EXPECT_NE(result.err.find(kUsage), std::string::npos) << result.err;
        ExpectNothingLeftInTheTemporaryFolder();
    }
}

// Started without a display the wizard stops with a clear message; the start-up probe
// reports the shown wizard. Both clean up.
TEST_F(WizardE2eTest, TheWizardWithoutADisplayStopsWithAClearMessage) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, std::vector<std::string>{"/X"}}) {
        ProcessResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, Status(ExitCode::NoDisplay)) << result.err;
        EXPECT_NE(result.err.find("no display"), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("/I"), std::string::npos) << result.err;
        ExpectNothingLeftInTheTemporaryFolder();
    }
    EXPECT_EQ(FolderContents(folder), std::vector<std::string>{"KernovaSample.run"});
    ProcessResult probe = Run({}, {{"KERNOVA_EXIT_WHEN_SHOWN", "1"}});
    EXPECT_EQ(probe.exitCode, 0) << probe.err;
    EXPECT_NE(probe.err.find("wizard shown after"), std::string::npos) << probe.err;
    ExpectNothingLeftInTheTemporaryFolder();
}

// Damage to the package, however it shows, is the one corrupt-package ending; "/?" on such
// a package shows that too, not the usage.
struct Corruption {
    const char* name;
    std::int64_t fromEnd;
    std::string bytes;
};

void PrintTo(const Corruption& c, std::ostream* out) {
    *out << c.name;
}

class CorruptInstallerE2eTest : public WizardE2eTest,
                                public ::testing::WithParamInterface<Corruption> {};

TEST_P(CorruptInstallerE2eTest, SaysSoAndEndsWithTheCorruptStatusLeavingNothing) {
    Damage(GetParam().fromEnd, GetParam().bytes);
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, std::vector<std::string>{"/?"},
          std::vector<std::string>{"/E"}}) {
        ProcessResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, Status(ExitCode::CorruptPackage)) << result.err;
        EXPECT_NE(result.err.find(kCorrupt), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find("Command line options"), std::string::npos);
        ExpectNothingLeftInTheTemporaryFolder();
        EXPECT_EQ(FolderContents(folder), std::vector<std::string>{"KernovaSample.run"});
    }
}

INSTANTIATE_TEST_SUITE_P(Damages, CorruptInstallerE2eTest,
                         ::testing::Values(Corruption{"countNotANumber", 519, "zzzzz"},
                                           Corruption{"entryLargerThanTheFile", 529, "9999999999"},
                                           Corruption{"entryNameWithASlash", 569 - 39, "/"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WizardE2eTest, APackageThatFailsAfterExtractionLeavesNothingEither) {
    // The descriptor promises a read-me the package does not carry: the failure comes once
    // everything is extracted.
    fs::path descriptor = sandbox.work() / "kernova.xml";
    test::WriteFileBytes(descriptor, "<XML>\r\n<Title>Broken</Title>\r\n<Readme>True</Readme>\r\n"
                                     "</XML>\r\n");
    test::Pack({"-o", installer.string(), descriptor.string(), TestFont(kSans).string()});
    ProcessResult result = Run({"/E"});
    EXPECT_EQ(result.exitCode, Status(ExitCode::CorruptPackage)) << result.err;
    EXPECT_NE(result.err.find(kCorrupt), std::string::npos) << result.err;
    ExpectNothingLeftInTheTemporaryFolder();
    EXPECT_EQ(FolderContents(folder), std::vector<std::string>{"KernovaSample.run"});
}

} // namespace
} // namespace kernova
