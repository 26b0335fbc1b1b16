// The installer as a separate process without a display: what a vendor packed comes out of
// /E unchanged, the switches scripts use, the wizard shown offscreen or refusing to start
// with nowhere to show itself, and corrupt packages. No run leaves anything behind.
#include "config/descriptor.h"
#include "platform/posix/posix_file_system.h"
#include "support/process.h"

#include <fstream>
#include <gtest/gtest.h>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

constexpr const char* kSans = "KernovaSampleSans-Regular.ttf";
constexpr const char* kCorrupt = "Kernova Installer Error: This Kernova Installer is corrupt.\n";
constexpr const char* kUsage = "Kernova Installer: Command line options:\n\n/E -- Extract files\n"
                               "/I -- Silent install\n";
const std::string kTitle = "  Kernova <Sample> & Co. 2 / 3  ";
const std::string kUrl = "https://fonts.example/a?b=c&d=<e>";
const fs::path kSamples = fs::path(KERNOVA_SOURCE_DIR) / "samples";

struct Case {
    const char* name;
    Names arguments;
    std::map<std::string, std::string> env;
    int status;
    const char* says;
    std::int64_t fromEnd = 0; // where `damage` overwrites the installer, counted from its end
    std::string damage = "";
    bool readOnlyFolder = false; // the installer's folder: where /E writes
};

// The descriptor is the entry nearest the trailer and ends
// "True</ShowFontPreview>\r\n</XML>\r\n"; a bad value is found only once all is extracted.
const Case kCases[] = {
    {"Extract", {"/E"}, {{"XDG_RUNTIME_DIR", ""}}, 0, ""}, // nothing of Qt's left either
    {"Usage", {"/?"}, {}, 0, kUsage},
    {"UsageWithAStaleDisplay", {"x/?"}, {{"DISPLAY", ":97"}}, 0, kUsage},
    {"UsageWithoutRuntimeFolder", {"/?"}, {{"XDG_RUNTIME_DIR", ""}}, 0, kUsage},
    {"WizardWithoutADisplay", {}, {}, 1, "no display: cannot show the wizard; use /I"},
    {"WizardShownOffscreen", {}, {{"KERNOVA_EXIT_WHEN_SHOWN", "1"}}, 0, "wizard shown"},
    {"CountNotANumber", {"/E"}, {}, 3, kCorrupt, 519, "zzzzz"},
    {"UsageOnACorruptPackage", {"/?"}, {}, 3, kCorrupt, 519, "zzzzz"},
    {"EntryLargerThanTheFile", {}, {}, 3, kCorrupt, 529, "9999999999"},
    {"BadDescriptorValue", {"/E"}, {}, 3, kCorrupt, 519 + 50 + 32, "Trux"},
    {"ExtractIntoReadOnlyFolder", {"/E"}, {}, 5, "Error: cannot write LEFT.png to ", 0, "", true},
};

TEST(InstallerSwitchesE2eTest, EachRunEndsWithItsStatusAndMessageLeavingNothingBehind) {
    test::Sandbox sandbox;
    const fs::path installer = sandbox.work() / "KernovaSample.run";
    test::Pack({"-o", installer.string(), "--title", kTitle, "--url", kUrl, "--url-name",
                "Kernova <Home>", "--preview", "--license", (kSamples / "license.txt").string(),
                "--readme", (kSamples / "readme.txt").string(), "--side",
                (kSamples / "side.png").string(), "--top", (kSamples / "top.png").string(),
                test::TestFont(kSans).string(),
                test::TestFont("KernovaSampleSerif-Regular.ttf").string()});
    for (const Case& run : kCases) {
        SCOPED_TRACE(run.name);
        const fs::path copy = sandbox.work() / run.name / installer.filename();
        fs::create_directory(copy.parent_path());
        fs::copy_file(installer, copy);
        ASSERT_TRUE(std::fstream(copy, std::ios::in | std::ios::out)
                        .seekp(-run.fromEnd, std::ios::end)
                        .write(run.damage.data(), std::ssize(run.damage)));
        fs::permissions(copy.parent_path(), run.readOnlyFolder ? fs::perms(0555) : fs::perms(0755));

        const auto result = test::RunProcess(
            test::InstallerCommand(sandbox, copy, run.arguments, run.env), sandbox.work());
        fs::permissions(copy.parent_path(), fs::perms(0755));

        EXPECT_EQ(result.exitCode, run.status) << result.err;
        EXPECT_NE(result.err.find(run.says), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find("QStandardPaths"), std::string::npos) << result.err; // no noise
        EXPECT_EQ(test::FolderNames(sandbox.tmp()), Names{});
        EXPECT_EQ(test::FolderNames(copy.parent_path()),
                  run.name == kCases[0].name
                      ? (Names{"KernovaSample.run", kSans, "KernovaSampleSerif-Regular.ttf",
                               "LEFT.png", "TOP.png", "kernova.xml", "license.txt", "readme.txt"})
                      : Names{"KernovaSample.run"});
    }
    // What /E wrote is what the vendor packed; the installer's own tag reader gets back
    // every value as given.
    const fs::path extracted = sandbox.work() / kCases[0].name;
    EXPECT_TRUE(test::ReadFileBytes(extracted / kSans) ==
                test::ReadFileBytes(test::TestFont(kSans)));
    const std::pair<const char*, std::string> tags[] = {
        {"Title", kTitle},          {"URL", kUrl},       {"URLName", "Kernova <Home>"},
        {"Readme", "True"},         {"License", "True"}, {"AddFavorites", "False"},
        {"ShowFontPreview", "True"}};
    posix::PosixFileSystem files;
    for (const auto& [tag, value] : tags) {
        EXPECT_EQ(ReadTag(files, tag, (extracted / "kernova.xml").string(), "-"), value) << tag;
    }
}

} // namespace
} // namespace kernova
