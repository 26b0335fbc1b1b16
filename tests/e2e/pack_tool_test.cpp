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
    std::string font(const char* name) const { return (work() / name).string(); }
    std::string sans() const { return font("KernovaSampleSans-Regular.ttf"); }
    std::string serif() const { return font("KernovaSampleSerif-Regular.ttf"); }

    test::ProcessResult Pack(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), KERNOVA_PACK_PATH);
        test::ProcessOptions options;
        options.env = sandbox_.environment();
        return test::RunProcess(test::AsTestUser(arguments, options.env), options);
    }

    // Name -> stored bytes, in read order.
    std::vector<std::pair<std::string, std::string>> Entries(const fs::path& installer) const {
        const std::string bytes = test::ReadFileBytes(installer);
        std::vector<std::pair<std::string, std::string>> entries;
        for (const ArchiveEntry& entry : ReadArchiveDirectory(installer.string()).entries) {
            entries.emplace_back(entry.name,
                                 bytes.substr(static_cast<std::size_t>(entry.dataOffset),
                                              static_cast<std::size_t>(entry.size)));
        }
        return entries;
    }

    test::Sandbox sandbox_;
};

TEST_F(PackTool, WritesStubEntriesAndADescriptorFromTheOptions) {
    const fs::path installer = out() / "setup";
    test::ProcessResult result = Pack({"-o",
                                       installer.string(),
                                       "--stub",
                                       (work() / "stub").string(),
                                       "--title",
                                       "Kernova Sample Fonts",
                                       "--url",
                                       "https://fonts.example/kernova",
                                       "--url-name",
                                       "Kernova Fonts",
                                       "--add-favorites",
                                       "--preview",
                                       "--license",
                                       (work() / "license").string(),
                                       "--side",
                                       (work() / "side.jpg").string(),
                                       "--top",
                                       (work() / "header.png").string(),
                                       sans(),
                                       serif()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(test::FolderNames(out()), std::vector<std::string>{"setup"});
    EXPECT_TRUE(test::ReadFileBytes(installer).substr(0, 3000) == test::StubBytes(3000));

    const auto entries = Entries(installer);
    std::vector<std::string> names;
    for (const auto& entry : entries) {
        names.push_back(entry.first);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"kernova.xml", "license.txt", "TOP.png", "LEFT.jpg",
                                               "KernovaSampleSerif-Regular.ttf",
                                               "KernovaSampleSans-Regular.ttf"}));
    EXPECT_EQ(entries[0].second, "<XML>\r\n"
                                 "<Version>Kernova 5</Version>\r\n"
                                 "<Title>Kernova Sample Fonts</Title>\r\n"
                                 "<Readme>False</Readme>\r\n"
                                 "<License>True</License>\r\n"
                                 "<WebLink>\r\n"
                                 "<URL>https://fonts.example/kernova</URL>\r\n"
                                 "<URLName>Kernova Fonts</URLName>\r\n"
                                 "</WebLink>\r\n"
                                 "<AddFavorites>True</AddFavorites>\r\n"
                                 "<ShowFontPreview>True</ShowFontPreview>\r\n"
                                 "</XML>\r\n");
    EXPECT_EQ(entries[1].second, "Terms\r\nMore terms\r\n");
    EXPECT_EQ(entries[2].second, "PNG top");
    EXPECT_EQ(entries[3].second, "JPEG side");
    EXPECT_TRUE(entries[5].second == test::ReadFileBytes(sans()));
}

TEST_F(PackTool, TheInstallersTagReaderGetsBackEveryValueAsGiven) {
    const fs::path installer = out() / "setup";
    const std::string title = "  Kernova <Sample> & Co. 2 / 3  ";
    const std::string url = "https://fonts.example/a?b=c&d=<e>";
    const std::string urlName = "Kernova Fonts <Home>";
    ASSERT_EQ(Pack({"-o", installer.string(), "--stub", (work() / "stub").string(), "--title",
                    title, "--url", url, "--url-name", urlName, "--readme",
                    (work() / "license").string(), sans()})
                  .exitCode,
              0);
    ExtractionFolder folder(sandbox_.tmp().string());
    ExtractAll(installer.string(), ReadArchiveDirectory(installer.string()), folder.path(), {});
    const std::string descriptor = folder.path() + "kernova.xml";
    EXPECT_EQ(ReadTag("Title", descriptor, "default"), title);
    EXPECT_EQ(ReadTag("URL", descriptor, "default"), url);
    EXPECT_EQ(ReadTag("URLName", descriptor, "default"), urlName);
    EXPECT_EQ(ReadTag("Readme", descriptor, "default"), "True");
    EXPECT_EQ(ReadTag("License", descriptor, "default"), "False");
    EXPECT_EQ(ReadTag("AddFavorites", descriptor, "default"), "False");
    EXPECT_EQ(ReadTag("ShowFontPreview", descriptor, "default"), "False");
}

TEST_F(PackTool, DefaultStubIsTheInstallerBuiltBesideIt) {
    const fs::path installer = out() / "setup";
    test::ProcessResult result = Pack({"-o", installer.string(), sans()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string stub = test::ReadFileBytes(KERNOVA_INSTALLER_PATH);
    EXPECT_TRUE(test::ReadFileBytes(installer).substr(0, stub.size()) == stub);
    const auto entries = Entries(installer);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_NE(entries[0].second.find("<Title></Title>"), std::string::npos);
    EXPECT_NE(entries[0].second.find("<License>False</License>"), std::string::npos);
    EXPECT_EQ(entries[0].second.find('\n', 0), entries[0].second.find("\r\n") + 1);
}

TEST_F(PackTool, StoresAGivenDescriptorAsItIs) {
    test::WriteFileBytes(work() / "kernova.xml", "<XML>\n<Title>Own</Title>\n</XML>\n");
    const fs::path installer = out() / "setup";
    test::ProcessResult result =
        Pack({"-o", installer.string(), "--stub", (work() / "stub").string(), "--readme",
              (work() / "license").string(), sans(), (work() / "kernova.xml").string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto entries = Entries(installer);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], (std::pair<std::string, std::string>{
                              "kernova.xml", "<XML>\n<Title>Own</Title>\n</XML>\n"}));
    EXPECT_EQ(entries[1].first, "readme.txt");
}

TEST_F(PackTool, ListsEntriesInTheInstallersReadOrder) {
    const fs::path installer = out() / "setup";
    ASSERT_EQ(Pack({"-o", installer.string(), "--stub", (work() / "stub").string(), "--side",
                    (work() / "side.jpg").string(), sans()})
                  .exitCode,
              0);
    test::ProcessResult listing = Pack({"--list", installer.string()});
    ASSERT_EQ(listing.exitCode, 0) << listing.err;
    const auto entries = Entries(installer);
    std::string expected;
    for (const auto& [name, data] : entries) {
        std::string size = std::to_string(data.size());
        expected += std::string(10 - size.size(), ' ') + size + "  " + name + "\n";
    }
    EXPECT_EQ(listing.out, expected);
    EXPECT_EQ(listing.out.substr(0, listing.out.find('\n')).substr(12), "kernova.xml");
}

TEST_F(PackTool, ListingACorruptInstallerSaysSo) {
    test::WriteFileBytes(work() / "plain", std::string(5000, '\0'));
    test::ProcessResult listing = Pack({"--list", (work() / "plain").string()});
    EXPECT_EQ(listing.exitCode, 1);
    EXPECT_TRUE(listing.out.empty());
    EXPECT_NE(listing.err.find("plain is not a Kernova installer"), std::string::npos)
        << listing.err;
    EXPECT_NE(Pack({"--list", (work() / "missing").string()}).exitCode, 0);
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

// --- refusals -----------------------------------------------------------------------------

struct Refusal {
    const char* label;
    std::vector<std::string> arguments; // WORK/ stands for the work folder
    const char* culprit;
    int exitCode;
};

class PackToolRefuses : public PackTool, public ::testing::WithParamInterface<Refusal> {
  protected:
    void SetUp() override {
        PackTool::SetUp();
        test::WriteFileBytes(work() / "notafont.ttf", "this is no font");
        test::WriteFileBytes(work() / "kernova.xml", "<XML></XML>");
        fs::copy_file(sans(), work() / "Sans.otf");
        fs::copy_file(sans(), work() / (std::string(37, 'L') + ".ttf"));
        fs::create_directory(work() / "other");
        fs::copy_file(sans(), work() / "other" / "KernovaSampleSans-Regular.ttf");
        fs::copy_file(sans(), work() / "other" / "KERNOVASAMPLESANS-REGULAR.TTF");
        fs::copy_file(sans(), work() / "Line\nBreak.ttf");
        test::WriteFileBytes(work() / "picture.jpeg", "JPEG");
        test::WriteFileBytes(work() / "picture.ttf", "JPEG");
    }
};

TEST_P(PackToolRefuses, NamesTheCulpritAndWritesNothing) {
    std::vector<std::string> arguments = {"-o", (out() / "setup").string(), "--stub",
                                          (work() / "stub").string()};
    for (std::string argument : GetParam().arguments) {
        if (argument.starts_with("WORK/")) {
            argument = (work() / argument.substr(5)).string();
        }
        arguments.push_back(argument);
    }
    test::ProcessResult result = Pack(arguments);
    EXPECT_EQ(result.exitCode, GetParam().exitCode) << result.err;
    EXPECT_NE(result.err.find(GetParam().culprit), std::string::npos) << result.err;
    EXPECT_TRUE(test::FolderNames(out()).empty());
}

const std::string kSans = "WORK/KernovaSampleSans-Regular.ttf";

INSTANTIATE_TEST_SUITE_P(
    Table, PackToolRefuses,
    ::testing::Values(
        Refusal{"MissingFont", {kSans, "WORK/missing.ttf"}, "missing.ttf", 1},
        Refusal{"FontIsAFolder", {"WORK/other"}, "other", 1},
        Refusal{"NotAFont", {"WORK/notafont.ttf"}, "notafont.ttf", 1},
        Refusal{"NotNamedTtf", {"WORK/Sans.otf"}, "Sans.otf", 1},
        Refusal{"NameLongerThan40", {"WORK/" + std::string(37, 'L') + ".ttf"}, "LLLL", 1},
        Refusal{"LineBreakInName", {"WORK/Line\nBreak.ttf"}, "Line\\nBreak.ttf", 1},
        Refusal{"SameNameTwice",
                {kSans, "WORK/other/KernovaSampleSans-Regular.ttf"},
                "would both be stored",
                1},
        Refusal{"SameNameInAnotherCase",
                {kSans, "WORK/other/KERNOVASAMPLESANS-REGULAR.TTF"},
                "KERNOVASAMPLESANS-REGULAR.TTF",
                1},
        Refusal{"MissingLicense", {"--license", "WORK/nolicense", kSans}, "nolicense", 1},
        Refusal{"MissingReadme", {"--readme", "WORK/noreadme", kSans}, "noreadme", 1},
        Refusal{"MissingPicture", {"--side", "WORK/noside.jpg", kSans}, "noside.jpg", 1},
        Refusal{"FourLetterExtension", {"--side", "WORK/picture.jpeg", kSans}, "picture.jpeg", 1},
        Refusal{"PictureNamedLikeAFont", {"--top", "WORK/picture.ttf", kSans}, "picture.ttf", 1},
        Refusal{"CommaInTitle", {"--title", "Sans, Serif", kSans}, "--title", 1},
        Refusal{"QuoteInUrlName", {"--url-name", "The \"Best\"", kSans}, "--url-name", 1},
        Refusal{"ClosingMarkerInUrl", {"--url", "http://x/</a>", kSans}, "--url", 1},
        Refusal{"LineBreakInTitle", {"--title", "Two\nLines", kSans}, "--title", 1},
        Refusal{"AnotherKeysMarkerInTitle", {"--title", "<url>http://evil", kSans}, "<URL>", 1},
        Refusal{"OptionsWithOwnDescriptor",
                {"--title", "T", kSans, "WORK/kernova.xml"},
                "kernova.xml",
                1},
        Refusal{"NoFonts", {}, "no fonts", 2},
        Refusal{"OnlyADescriptor", {"WORK/kernova.xml"}, "no fonts", 1},
        Refusal{"UnknownOption", {"--colour", kSans}, "--colour", 2},
        Refusal{"OptionWithoutValue", {kSans, "--title"}, "--title", 2}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(PackTool, MissingStubIsNamed) {
    test::ProcessResult result =
        Pack({"-o", (out() / "setup").string(), "--stub", (work() / "nostub").string(), sans()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("nostub"), std::string::npos) << result.err;
    EXPECT_TRUE(test::FolderNames(out()).empty());
}

TEST_F(PackTool, RefusesMoreThan32767Entries) {
    std::vector<std::string> arguments = {"-o", (out() / "setup").string(), "--stub",
                                          (work() / "stub").string()};
    fs::copy_file(sans(), work() / "f.ttf");
    arguments.insert(arguments.end(), 32768, "f.ttf");
    arguments.insert(arguments.begin(), KERNOVA_PACK_PATH);
    test::ProcessOptions options;
    options.env = sandbox_.environment();
    options.cwd = work();
    test::ProcessResult result =
        test::RunProcess(test::AsTestUser(arguments, options.env), options);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("at most 32767 entries"), std::string::npos) << result.err;
    EXPECT_TRUE(test::FolderNames(out()).empty());
}

TEST_F(PackTool, RefusesAnInstallerOfTwoGigabytes) {
    // A sparse picture: no room on disk, but its size counts.
    const fs::path huge = work() / "huge.jpg";
    test::WriteFileBytes(huge, "");
    fs::resize_file(huge, std::uintmax_t{1} << 31);
    test::ProcessResult result =
        Pack({"-o", (out() / "setup").string(), "--stub", (work() / "stub").string(), "--side",
              huge.string(), sans()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("2 GiB"), std::string::npos) << result.err;
    EXPECT_TRUE(test::FolderNames(out()).empty());
}

TEST_F(PackTool, RefusesToReplaceItsOwnInput) {
    const std::string before = test::ReadFileBytes(sans());
    test::ProcessResult result = Pack({"-o", sans(), "--stub", (work() / "stub").string(), sans()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(test::ReadFileBytes(sans()) == before);
}

TEST_F(PackTool, ReplacesAnOlderOutputOnlyWhenItSucceeds) {
    const fs::path installer = out() / "setup";
    test::WriteFileBytes(installer, "older installer");
    EXPECT_EQ(
        Pack({"-o", installer.string(), "--stub", (work() / "stub").string(), font("missing.ttf")})
            .exitCode,
        1);
    EXPECT_EQ(test::ReadFileBytes(installer), "older installer");
    EXPECT_EQ(
        Pack({"-o", installer.string(), "--stub", (work() / "stub").string(), sans()}).exitCode, 0);
    EXPECT_EQ(Entries(installer).size(), 2u);
    EXPECT_EQ(test::FolderNames(out()), std::vector<std::string>{"setup"});
}

} // namespace
} // namespace kernova
