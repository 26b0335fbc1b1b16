// kernova-pack as a vendor runs it: what it stores, as its listing shows, and every input it
// refuses (what the installer would misuse, a pipe it must not wait on, a folder it cannot
// write), with a message naming the culprit, a non-zero exit and nothing written: an older
// installer of the same name stays as it was.
// (What the installer gets out of a package is checked by running it, in the other tests.)
#include "support/process.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace kernova {
namespace {

namespace fs = std::filesystem;

const std::string kSans = "KernovaSampleSans-Regular.ttf";
constexpr const char* kLong = "LLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLL.ttf"; // 41 bytes stored

struct Refusal {
    std::vector<std::string> arguments;
    const char* culprit;
    int exitCode;
};

const Refusal kRefusals[] = {
    {{kSans, "missing.ttf"}, "missing.ttf", 1},
    {{"other"}, "other", 1},
    {{"side.ttf"}, "side.ttf", 1},
    {{"Sans.woff"}, "Sans.woff", 1},
    // Fonts by their bytes: what no desktop installs from its fonts folder, named.
    {{"web.ttf"}, "web.ttf is a WOFF2 web font", 1},
    {{"type1.otf"}, "type1.otf is a Type 1 font", 1},
    {{"notes.ttc"}, "notes.ttc is not a font", 1},
    {{"Line\nBreak.ttf"}, "Line\\nBreak.ttf", 1},
    {{kSans, "other/KERNOVASAMPLESANS-REGULAR.TTF"}, "would both be stored", 1},
    {{"--license", "nolicense", kSans}, "nolicense", 1},
    {{"--side", "side.jpeg", kSans}, "side.jpeg", 1},
    {{"--top", "side.ttf", kSans}, "side.ttf", 1},
    {{"--stub", "nostub", kSans}, "nostub", 1},
    {{"--title", "Sans, Serif", kSans}, "--title", 1},
    {{"--url-name", "The \"Best\"", kSans}, "--url-name", 1},
    {{"--url", "http://x/</a>", kSans}, "--url", 1},
    {{"--title", "Two\nLines", kSans}, "--title", 1},
    {{"--title", "Tab\there", kSans}, "--title cannot hold a control character", 1},
    {{"--title", "Next\xC2\x85Line", kSans}, "--title cannot hold a control character", 1},
    {{"--title", "<url>http://evil", kSans}, "<URL>", 1},
    {{"--title", "T", kSans, "kernova.xml"}, "kernova.xml", 1},
    {{"kernova.xml"}, "no fonts", 1},
    {{}, "no fonts", 2},
    {{"--colour", kSans}, "--colour", 2},
    // What the installer would take for a picture, what fontconfig skips; nothing waited on.
    {{"LEFT.ttf"}, "LEFT.ttf\" would be taken for the side picture", 1},
    {{"top.TTF"}, "top.TTF\" would be taken for the header picture", 1},
    {{".Hidden.ttf"}, "fontconfig skips hidden files", 1},
    {{"Back\\slash.ttf"}, "Back\\\\slash.ttf\" cannot be stored as a plain file name", 1},
    {{"../tmp/pipe.ttf"}, "pipe.ttf: not a regular file", 1},
    {{"--readme", "/dev/zero", kSans}, "cannot read /dev/zero: not a regular file", 1},
    {{"--stub", "../tmp/pipe.ttf", kSans}, "the stub ../tmp/pipe.ttf: not a regular", 1},
    {{"-o", "locked/setup", kSans}, "cannot create locked/setup: Permission denied", 1},
    // Names a Windows installer would take for a device or a stream: refused for its stub only.
    {{"--stub", "win.exe", "CON.ttf"}, "\"CON.ttf\" is no Windows file name", 1},
    {{"--stub", "win.exe", "a:b.ttf"}, "\"a:b.ttf\" is no Windows file name", 1},
    {{"--stub", "win.exe", "CONIN$.ttf"}, "\"CONIN$.ttf\" is no Windows file name", 1},
};

TEST(PackToolTest, ListsWhatItStoredAndRefusesBadInputWritingNothing) {
    test::Sandbox sandbox;
    // Relative paths name files in the work folder, where the tool runs.
    auto pack = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), KERNOVA_PACK_PATH);
        return test::RunProcess(test::AsTestUser(arguments, sandbox.environment()), sandbox.work());
    };
    fs::create_directories(sandbox.work() / "other");
    for (const char* copy :
         {"KernovaSampleSans-Regular.ttf", "Sans.woff", "Line\nBreak.ttf",
          "other/KERNOVASAMPLESANS-REGULAR.TTF", kLong, "LEFT.ttf", "top.TTF", ".Hidden.ttf",
          "Back\\slash.ttf", "CON.ttf", "a:b.ttf", "CONIN$.ttf"}) {
        fs::copy_file(test::TestFont("KernovaSampleSans-Regular.ttf"), sandbox.work() / copy);
    }
    for (const char* name : {"side.jpg", "side.jpeg", "side.ttf"}) {
        test::WriteFileBytes(sandbox.work() / name, "JPEG side");
    }
    test::WriteFileBytes(sandbox.work() / "license", "Terms\nMore terms\r\n");
    test::WriteFileBytes(sandbox.work() / "win.exe", "MZ: a Windows program's first bytes");
    test::WriteFileBytes(sandbox.work() / "web.ttf", "wOF2 and a compressed font");
    test::WriteFileBytes(sandbox.work() / "type1.otf", std::string("\x80\x01 a PFB segment", 16));
    test::WriteFileBytes(sandbox.work() / "notes.ttc", "plain notes");
    test::WriteFileBytes(sandbox.work() / "kernova.xml", "<XML>\n<Title>Own</Title>\n</XML>\n");
    // Any file will do as the stub; a small one keeps the folder quick to compare below.
    const test::ProcessResult packed =
        pack({"-o", "setup", "--stub", "license", "--license", "license", "--side", "side.jpg",
              kSans, kLong, "kernova.xml"});
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    const test::ProcessResult listing = pack({"--list", "setup"});

    // The given descriptor as it is, the licence with CR LF line ends, the picture renamed,
    // the name too long to store shortened (and the vendor told).
    const std::string size = std::to_string(fs::file_size(sandbox.work() / kSans));
    const std::string shortened = std::string(34, 'L') + "~1.ttf";
    EXPECT_NE(packed.out.find(std::string(kLong) + " is stored as \"" + shortened + "\""),
              std::string::npos)
        << packed.out;
    const std::string font = std::string(10 - size.size(), ' ') + size + "  ";
    EXPECT_EQ(listing.out, "        32  kernova.xml\n        19  license.txt\n         9  "
                           "LEFT.jpg\n" +
                               font + shortened + "\n" + font + "KernovaSampleSans-Regular.ttf\n")
        << listing.err;
    const test::ProcessResult plain = pack({"--list", "license"});
    EXPECT_EQ(plain.exitCode, 1);
    EXPECT_NE(plain.err.find("license is not a Kernova installer"), std::string::npos);
    EXPECT_NE(pack({"--help"}).out.find("--list INSTALLER"), std::string::npos);

    // A pipe outside the compared folder (reading it there would wait), a locked folder.
    ASSERT_EQ(::mkfifo((sandbox.tmp() / "pipe.ttf").c_str(), 0600), 0);
    fs::create_directories(sandbox.work() / "locked");
    fs::permissions(sandbox.work() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    const test::TreeSnapshot before = test::Snapshot(sandbox.work());
    for (const Refusal& refusal : kRefusals) {
        SCOPED_TRACE(refusal.culprit);
        std::vector<std::string> arguments = refusal.arguments;
        if (std::find(arguments.begin(), arguments.end(), "-o") == arguments.end()) {
            arguments.insert(arguments.begin(), {"-o", "setup"});
        }
        const test::ProcessResult result = pack(arguments);
        EXPECT_EQ(result.exitCode, refusal.exitCode) << result.err;
        EXPECT_NE(result.err.find(refusal.culprit), std::string::npos) << result.err;
        EXPECT_TRUE(test::Snapshot(sandbox.work()) == before) << "wrote or replaced a file";
    }
}

} // namespace
} // namespace kernova
