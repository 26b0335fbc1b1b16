// Two silent installs of one package at once (a double click, a retried script): both end
// in success and the fonts are there once each, never as numbered copies.
#include "support/process.h"

#include <gtest/gtest.h>

namespace kernova {
namespace {

namespace fs = std::filesystem;

TEST(InstallTwiceE2eTest, TwoRunsAtOnceLeaveEachFontOnce) {
    test::Sandbox sandbox;
    const fs::path installer = sandbox.work() / "KernovaSample.run";
    std::vector<std::string> pack = {"-o", installer.string()};
    test::TreeSnapshot fonts;
    for (const char* font : {"KernovaSampleMono-Regular.ttf", "KernovaSampleSans-Regular.ttf",
                             "KernovaSampleSerif-Regular.ttf"}) {
        pack.push_back(test::TestFont(font).string());
        fonts[font] = test::ReadFileBytes(test::TestFont(font));
    }
    test::Pack(pack);
    test::ChildProcess first(test::InstallerCommand(sandbox, installer, {"/I"}, {}));
    test::ChildProcess second(test::InstallerCommand(sandbox, installer, {"/I"}, {}));
    EXPECT_EQ(first.Wait().exitCode, 0);
    EXPECT_EQ(second.Wait().exitCode, 0);
    EXPECT_EQ(test::Snapshot(sandbox.fontsDir()), fonts);
    EXPECT_EQ(test::FontsOfNewProcess(sandbox.environment()).size(), fonts.size());
}

} // namespace
} // namespace kernova
