// Fonts as Debian ships them, packed as a vendor would: OpenType CFF (Cantarell) and a
// TrueType collection install face by face and resolve to the installed files; a web font
// is refused by its format.
#include "support/process.h"

#include <gtest/gtest.h>

namespace kernova {
namespace {

namespace fs = std::filesystem;

const fs::path kCantarell = "/usr/share/fonts/opentype/cantarell";

TEST(VendorFontsE2eTest, OpenTypeAndCollectionsInstallEveryFaceAndResolveToTheInstalledFile) {
    if (!fs::is_directory(kCantarell)) {
        GTEST_SKIP() << "fonts-cantarell is not installed (scripts/setup.sh installs it)";
    }
    test::Sandbox sandbox;
    const fs::path installer = sandbox.work() / "Cantarell.run";
    std::vector<std::string> pack = {"--title", "Cantarell", "-o", installer.string(),
                                     test::TestFont("KernovaPair.ttc").string()};
    std::vector<std::string> expected = {"KernovaPair.ttc"};
    for (const auto& entry : fs::directory_iterator(kCantarell)) {
        pack.push_back(entry.path().string());
        expected.push_back(entry.path().filename().string());
    }
    test::Pack(pack);
    const test::ProcessResult result =
        test::RunProcess(test::InstallerCommand(sandbox, installer, {"/I"}, {}));
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              std::to_string(expected.size()) + " installed, 0 updated, 0 already installed\n");
    std::sort(expected.begin(), expected.end());
    expected.insert(expected.begin(), ".kernova-installed.txt");
    EXPECT_EQ(test::FolderNames(sandbox.fontsDir()), expected);
    // Every face, looked up by name as a program asks for it, is the installed file.
    for (const auto& [pattern, file] : {std::pair{"Cantarell:thin", "Cantarell-Thin.otf"},
                                        {"Cantarell:light", "Cantarell-Light.otf"},
                                        {"Cantarell", "Cantarell-Regular.otf"},
                                        {"Cantarell:bold", "Cantarell-Bold.otf"},
                                        {"Cantarell:extrabold", "Cantarell-ExtraBold.otf"},
                                        {"Kernova Pair Sans", "KernovaPair.ttc:0"},
                                        {"Kernova Pair Serif", "KernovaPair.ttc:1"}}) {
        const test::ProcessResult match = test::RunProcess(test::AsTestUser(
            {"/usr/bin/fc-match", "--format", "%{file|basename}:%{index}", pattern},
            sandbox.environment()));
        const std::string wanted = std::string(file).find(':') == std::string::npos
                                       ? std::string(file) + ":0"
                                       : std::string(file);
        EXPECT_EQ(match.out, wanted) << pattern;
    }
}

TEST(VendorFontsE2eTest, AWebFontIsRefusedByItsFormat) {
    test::Sandbox sandbox;
    const fs::path web = sandbox.work() / "KernovaSampleSans-Regular.ttf";
    fs::copy_file(test::TestFont("KernovaSampleSans-Regular.woff2"), web);
    const test::ProcessResult result = test::RunProcess(test::AsTestUser(
        {KERNOVA_PACK_PATH, "-o", (sandbox.work() / "Web.run").string(), web.string()}, {}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("KernovaSampleSans-Regular.ttf is a WOFF2 web font"),
              std::string::npos)
        << result.err;
    EXPECT_FALSE(fs::exists(sandbox.work() / "Web.run"));
}

} // namespace
} // namespace kernova
