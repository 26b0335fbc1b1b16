// kernova-pack as a vendor runs it: the installers it writes, its listing, and every input
// it refuses (with a message naming the culprit, a non-zero exit and no output file).
#include "archive/archive_directory.h"
#include "archive/extraction.h"
#include "config/descriptor.h"
#include "support/archive_fixtures.h"
#include "support/process.h"
#include "support/sandbox.h"
#include "support/test_user.h"

#include <gtest/gtest.h>

namespace kernova {
namespace {

namespace fs = std::filesystem;

const std::string kSans = "WORK/KernovaSampleSans-Regular.ttf";
using Entry = std::pair<std::string, std::string>;

class PackTool : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(out());
        for (const char* font :
             {"KernovaSampleSans-Regular.ttf", "KernovaSampleSerif-Regular.ttf"}) {
            fs::copy_file(test::TestFont(font), work() / font);
        }
        test::WriteFileBytes(work() / "stub", test::StubBytes(3000));
        test::WriteFileBytes(work() / "license", "Terms\nMore terms\r\n");
        test::WriteFileBytes(work() / "side.jpg", "JPEG side");
        test::WriteFileBytes(work() / "header.png", "PNG top");
    }

    fs::path work() const { return sandbox_.work(); }
    fs::path out() const { return sandbox_.work() / "out"; }
    fs::path setup() const { return out() / "setup"; }
    std::string sans() const { return (work() / "KernovaSampleSans-Regular.ttf").string(); }

    // Runs the tool; WORK/ in an argument stands for the work folder.
    test::ProcessResult Pack(std::vector<std::string> arguments) const {
        for (std::string& argument : arguments) {
            if (argument.starts_with("WORK/")) {
                argument = (work() / argument.substr(5)).string();
            }
        }
        arguments.insert(arguments.begin(), KERNOVA_PACK_PATH);
        test::ProcessOptions options;
        options.env = sandbox_.environment();
        options.cwd = work();
        return test::RunProcess(test::AsTestUser(arguments, options.env), options);
    }
    // The same, writing `setup` from the test stub.
    test::ProcessResult PackSetup(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"-o", setup().string(), "--stub", "WORK/stub"});
        return Pack(arguments);
    }

    // Name -> stored bytes, in read order.
    std::vector<Entry> Entries() const {
        const std::string bytes = test::ReadFileBytes(setup());
        std::vector<Entry> entries;
        for (const ArchiveEntry& entry : ReadArchiveDirectory(setup().string()).entries) {
            entries.emplace_back(entry.name,
                                 bytes.substr(static_cast<std::size_t>(entry.dataOffset),
                                              static_cast<std::size_t>(entry.size)));
        }
        return entries;
    }

    test::Sandbox sandbox_;
};

TEST_F(PackTool, WritesStubEntriesAndADescriptorFromTheOptions) {
    test::ProcessResult result =
        PackSetup({"--title", "Kernova Sample Fonts", "--url", "https://fonts.example/kernova",
                   "--url-name", "Kernova Fonts", "--add-favorites", "--preview", "--license",
                   "WORK/license", "--side", "WORK/side.jpg", "--top", "WORK/header.png", kSans,
                   "WORK/KernovaSampleSerif-Regular.ttf"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(test::FolderNames(out()), std::vector<std::string>{"setup"});
    EXPECT_TRUE(test::ReadFileBytes(setup()).substr(0, 3000) == test::StubBytes(3000));

    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[0].first, "kernova.xml");
    EXPECT_EQ(entries[0].second,
              "<XML>\r\n<Version>Kernova 5</Version>\r\n<Title>Kernova Sample Fonts</Title>\r\n"
              "<Readme>False</Readme>\r\n<License>True</License>\r\n<WebLink>\r\n"
              "<URL>https://fonts.example/kernova</URL>\r\n<URLName>Kernova Fonts</URLName>\r\n"
              "</WebLink>\r\n<AddFavorites>True</AddFavorites>\r\n"
              "<ShowFontPreview>True</ShowFontPreview>\r\n</XML>\r\n");
    EXPECT_EQ(std::vector<Entry>(entries.begin() + 1, entries.begin() + 4),
              (std::vector<Entry>{{"license.txt", "Terms\r\nMore terms\r\n"},
                                  {"TOP.png", "PNG top"},
                                  {"LEFT.jpg", "JPEG side"}}));
    EXPECT_EQ(entries[4].first, "KernovaSampleSerif-Regular.ttf");
    EXPECT_EQ(entries[5].first, "KernovaSampleSans-Regular.ttf");
    EXPECT_TRUE(entries[5].second == test::ReadFileBytes(sans()));
}

TEST_F(PackTool, TheInstallersTagReaderGetsBackEveryValueAsGiven) {
    const std::string title = "  Kernova <Sample> & Co. 2 / 3  ";
    const std::string url = "https://fonts.example/a?b=c&d=<e>";
    const std::string urlName = "Kernova Fonts <Home>";
    ASSERT_EQ(PackSetup({"--title", title, "--url", url, "--url-name", urlName, "--readme",
                         "WORK/license", kSans})
                  .exitCode,
              0);
    ExtractionFolder folder(sandbox_.tmp().string());
    ExtractAll(setup().string(), ReadArchiveDirectory(setup().string()), folder.path(), {});
    const std::string descriptor = folder.path() + "kernova.xml";
    const std::pair<const char*, std::string> tags[] = {{"Title", title},
                                                        {"URL", url},
                                                        {"URLName", urlName},
                                                        {"Readme", "True"},
                                                        {"License", "False"},
                                                        {"AddFavorites", "False"},
                                                        {"ShowFontPreview", "False"}};
    for (const auto& [tag, value] : tags) {
        EXPECT_EQ(ReadTag(tag, descriptor, "default"), value) << tag;
    }
}

TEST_F(PackTool, DefaultStubIsTheInstallerBuiltBesideItAndAGivenDescriptorIsStoredAsItIs) {
    test::ProcessResult result = Pack({"-o", setup().string(), kSans});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string stub = test::ReadFileBytes(KERNOVA_INSTALLER_PATH);
    EXPECT_TRUE(test::ReadFileBytes(setup()).substr(0, stub.size()) == stub);
    auto entries = Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_NE(entries[0].second.find("<Title></Title>"), std::string::npos);
    EXPECT_NE(entries[0].second.find("<License>False</License>"), std::string::npos);
    EXPECT_EQ(entries[0].second.find('\n', 0), entries[0].second.find("\r\n") + 1);

    test::WriteFileBytes(work() / "kernova.xml", "<XML>\n<Title>Own</Title>\n</XML>\n");
    result = PackSetup({"--readme", "WORK/license", kSans, "WORK/kernova.xml"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    entries = Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], (Entry{"kernova.xml", "<XML>\n<Title>Own</Title>\n</XML>\n"}));
    EXPECT_EQ(entries[1].first, "readme.txt");
}

TEST_F(PackTool, ListsEntriesInTheInstallersReadOrderAndSaysWhenItIsNoInstaller) {
    ASSERT_EQ(PackSetup({"--side", "WORK/side.jpg", kSans}).exitCode, 0);
    test::ProcessResult listing = Pack({"--list", setup().string()});
    ASSERT_EQ(listing.exitCode, 0) << listing.err;
    std::string expected;
    for (const auto& [name, data] : Entries()) {
        std::string size = std::to_string(data.size());
        expected += std::string(10 - size.size(), ' ') + size + "  " + name + "\n";
    }
    EXPECT_EQ(listing.out, expected);
    EXPECT_EQ(listing.out.substr(0, listing.out.find('\n')).substr(12), "kernova.xml");

    test::WriteFileBytes(work() / "plain", std::string(5000, '\0'));
    listing = Pack({"--list", "WORK/plain"});
    EXPECT_EQ(listing.exitCode, 1);
    EXPECT_TRUE(listing.out.empty());
    EXPECT_NE(listing.err.find("plain is not a Kernova installer"), std::string::npos)
        << listing.err;
    EXPECT_NE(Pack({"--list", "WORK/missing"}).exitCode, 0);
}

TEST_F(PackTool, HelpDocumentsEveryOption) {
    test::ProcessResult help = Pack({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option :
         {"-o", "--stub", "--title", "--url", "--url-name", "--add-favorites", "--preview",
          "--license", "--readme", "--side", "--top", "--list", "--help", "FONT"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
}

TEST_F(PackTool, RefusesNamingTheCulpritAndWritesNothing) {
    fs::create_directory(work() / "other");
    for (const std::string name : {"Sans.otf", "other/KernovaSampleSans-Regular.ttf",
                                   "other/KERNOVASAMPLESANS-REGULAR.TTF", "Line\nBreak.ttf"}) {
        fs::copy_file(sans(), work() / name);
    }
    fs::copy_file(sans(), work() / (std::string(37, 'L') + ".ttf"));
    for (const char* name : {"notafont.ttf", "kernova.xml", "picture.jpeg", "picture.ttf"}) {
        test::WriteFileBytes(work() / name, "<XML></XML>");
    }
    // A sparse picture: no room on disk, but its size counts.
    test::WriteFileBytes(work() / "huge.jpg", "");
    fs::resize_file(work() / "huge.jpg", std::uintmax_t{1} << 31);
    const struct {
        std::vector<std::string> arguments;
        const char* culprit;
        int exitCode;
    } cases[] = {
        {{kSans, "WORK/missing.ttf"}, "missing.ttf", 1},
        {{"WORK/other"}, "other", 1},
        {{"WORK/notafont.ttf"}, "notafont.ttf", 1},
        {{"WORK/Sans.otf"}, "Sans.otf", 1},
        {{"WORK/" + std::string(37, 'L') + ".ttf"}, "LLLL", 1},
        {{"WORK/Line\nBreak.ttf"}, "Line\\nBreak.ttf", 1},
        {{kSans, "WORK/other/KernovaSampleSans-Regular.ttf"}, "would both be stored", 1},
        {{kSans, "WORK/other/KERNOVASAMPLESANS-REGULAR.TTF"}, "KERNOVASAMPLESANS-REGULAR.TTF", 1},
        {{"--license", "WORK/nolicense", kSans}, "nolicense", 1},
        {{"--side", "WORK/noside.jpg", kSans}, "noside.jpg", 1},
        {{"--side", "WORK/picture.jpeg", kSans}, "picture.jpeg", 1},
        {{"--top", "WORK/picture.ttf", kSans}, "picture.ttf", 1},
        {{"--side", "WORK/huge.jpg", kSans}, "2 GiB", 1},
        {{"--title", "Sans, Serif", kSans}, "--title", 1},
        {{"--url-name", "The \"Best\"", kSans}, "--url-name", 1},
        {{"--url", "http://x/</a>", kSans}, "--url", 1},
        {{"--title", "Two\nLines", kSans}, "--title", 1},
        {{"--title", "<url>http://evil", kSans}, "<URL>", 1},
        {{"--title", "T", kSans, "WORK/kernova.xml"}, "kernova.xml", 1},
        {{}, "no fonts", 2},
        {{"WORK/kernova.xml"}, "no fonts", 1},
        {{"--colour", kSans}, "--colour", 2},
        {{kSans, "--title"}, "--title", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.culprit);
        test::ProcessResult result = PackSetup(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_NE(result.err.find(c.culprit), std::string::npos) << result.err;
        EXPECT_TRUE(test::FolderNames(out()).empty());
    }
    test::ProcessResult result = Pack({"-o", setup().string(), "--stub", "WORK/nostub", kSans});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("nostub"), std::string::npos) << result.err;
    EXPECT_TRUE(test::FolderNames(out()).empty());
}

TEST_F(PackTool, ReplacesAnOlderOutputOnlyWhenItSucceedsAndNeverItsOwnInput) {
    const std::string before = test::ReadFileBytes(sans());
    EXPECT_EQ(Pack({"-o", sans(), "--stub", "WORK/stub", kSans}).exitCode, 1);
    EXPECT_TRUE(test::ReadFileBytes(sans()) == before);

    test::WriteFileBytes(setup(), "older installer");
    EXPECT_EQ(PackSetup({"WORK/missing.ttf"}).exitCode, 1);
    EXPECT_EQ(test::ReadFileBytes(setup()), "older installer");
    EXPECT_EQ(PackSetup({kSans}).exitCode, 0);
    EXPECT_EQ(Entries().size(), 2u);
    EXPECT_EQ(test::FolderNames(out()), std::vector<std::string>{"setup"});
}

} // namespace
} // namespace kernova
