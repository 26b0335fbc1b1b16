// A vendor ships releases of one package; a user installs them silently in turn, then
// removes the package with /U. Seen from outside: status, what is printed, the files in the
// fonts folder and what a new fontconfig client lists. Also fonts as Debian ships them.
#include "support/process.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// Every face a new fontconfig client lists: "file full name | style | version", sorted.
Lines FacesOfNewProcess(const test::Sandbox& sandbox) {
    const test::ProcessResult result = test::RunProcess(
        test::AsTestUser({"/usr/bin/fc-list", "--format",
                          "%{file|basename} %{fullname[0]} | %{style[0]} | %{fontversion}\n"},
                         sandbox.environment()));
    Lines faces;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) {
        faces.push_back(line);
    }
    std::sort(faces.begin(), faces.end());
    return faces;
}

fs::path PackRelease(const test::Sandbox& vendor, const std::string& version) {
    const fs::path folder = vendor.work() / version;
    fs::create_directories(folder);
    fs::copy_file(test::TestFont("KernovaRelease-" + version + ".ttf"),
                  folder / "KernovaRelease-Regular.ttf");
    const fs::path installer = vendor.work() / ("KernovaRelease-" + version + ".run");
    test::Pack({"--title", "Kernova Release", "-o", installer.string(),
                (folder / "KernovaRelease-Regular.ttf").string(),
                test::TestFont("KernovaTwin-Regular.ttf").string(),
                test::TestFont("KernovaTwin-Italic.ttf").string(),
                test::TestFont("KernovaPair.ttc").string()});
    return installer;
}

// 1.000, then 1.100 (the newer release takes the older one's file), then 1.000 again (older:
// nothing to do), then /U: the user's own font stays, whatever the package installed goes.
// The roman and the italic share one full name and are both installed; the collection is
// already installed only when both its faces are.
TEST(ReleasesE2eTest, ANewerReleaseReplacesTheOlderAndUninstallRemovesExactlyWhatWasInstalled) {
    test::Sandbox vendor;
    const fs::path older = PackRelease(vendor, "1.000");
    const fs::path newer = PackRelease(vendor, "1.100");
    test::Sandbox sandbox;
    fs::copy_file(test::TestFont("KernovaSampleSerif-Regular.ttf"), sandbox.fontsDir() / "My.ttf");
    const std::string mine = "My.ttf Kernova Sample Serif | Regular | 155320";
    const Lines package = {"KernovaPair.ttc Kernova Pair Sans | Regular | 155320",
                           "KernovaPair.ttc Kernova Pair Serif | Regular | 155320",
                           "KernovaTwin-Italic.ttf Kernova Twin | Italic | 155320",
                           "KernovaTwin-Regular.ttf Kernova Twin | Regular | 155320"};
    auto with = [&](const char* release) {
        Lines faces = package;
        faces.push_back(std::string("KernovaRelease-Regular.ttf Kernova Release | Regular | ") +
                        release);
        faces.push_back(mine);
        std::sort(faces.begin(), faces.end());
        return faces;
    };
    const std::tuple<fs::path, const char*, int, std::string, Lines> steps[] = {
        {older, "/I", 0, "4 installed, 0 updated, 0 already installed\n", with("65536")},
        {newer, "/I", 0, "0 installed, 1 updated, 3 already installed\n", with("72090")},
        {older, "/I", 6, "0 installed, 0 updated, 4 already installed\n", with("72090")},
        {newer, "/U", 0, "4 removed, 0 kept\n", {mine}},
        {newer, "/U", 6, "Kernova Release has installed no fonts here\n", {mine}}};
    for (const auto& [installer, which, status, out, faces] : steps) {
        SCOPED_TRACE(installer.filename().string() + " " + which);
        const test::ProcessResult result =
            test::RunProcess(test::InstallerCommand(sandbox, installer, {which}, {}));
        EXPECT_EQ(result.exitCode, status) << result.err;
        EXPECT_EQ(result.out, out) << result.err;
        EXPECT_EQ(FacesOfNewProcess(sandbox), faces);
        // A collection is named by its faces.
        EXPECT_EQ(result.err.find("The Kernova Pair Sans & Kernova Pair Serif font is already "
                                  "installed.") != std::string::npos,
                  std::string(which) == "/I" && out.find("4 installed") == std::string::npos)
            << result.err;
    }
    EXPECT_EQ(test::FolderNames(sandbox.fontsDir()), Lines{"My.ttf"});
}

// What /U keeps: a file the user changed since it was installed, and a font another package
// relies on (which that package's /U then removes); what it cannot remove (a read-only folder) is
// told, kept in the record, and removed by a later /U.
TEST(ReleasesE2eTest, UninstallKeepsWhatChangedOrIsSharedAndRetriesWhatItCouldNotRemove) {
    test::Sandbox vendor;
    const fs::path release = PackRelease(vendor, "1.000");
    const fs::path other = vendor.work() / "Other.run";
    test::Pack({"--title", "Other", "-o", other.string(),
                test::TestFont("KernovaTwin-Regular.ttf").string()});
    test::Sandbox sandbox;
    auto run = [&](const fs::path& installer, const char* which) {
        return test::RunProcess(test::InstallerCommand(sandbox, installer, {which}, {}));
    };
    ASSERT_EQ(run(release, "/I").exitCode, 0);
    ASSERT_EQ(run(other, "/I").exitCode, 6); // its one font is there already: it uses it
    test::WriteFileBytes(sandbox.fontsDir() / "KernovaPair.ttc", "the user's own now");

    fs::permissions(sandbox.fontsDir(), fs::perms(0555));
    test::ProcessResult result = run(release, "/U");
    EXPECT_EQ(result.exitCode, 5);
    EXPECT_NE(result.err.find("cannot remove KernovaRelease-Regular.ttf from "), std::string::npos)
        << result.err;
    fs::permissions(sandbox.fontsDir(), fs::perms(0755));
    EXPECT_EQ(test::FolderNames(sandbox.fontsDir()).size(), 5u); // all four and the record

    result = run(release, "/U");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "kept KernovaPair.ttc: it changed since it was installed\n"
                          "kept KernovaTwin-Regular.ttf: another package uses it\n"
                          "2 removed, 2 kept\n");
    EXPECT_EQ(test::FolderNames(sandbox.fontsDir()),
              (Lines{".kernova-installed.txt", "KernovaPair.ttc", "KernovaTwin-Regular.ttf"}));
    // The shared font went over to the other package, whose /U now removes it.
    EXPECT_EQ(run(other, "/U").out, "1 removed, 0 kept\n");
    EXPECT_EQ(test::FolderNames(sandbox.fontsDir()), Lines{"KernovaPair.ttc"});
}

} // namespace
} // namespace kernova
