// How a package's font stands to the installed ones: by full name and style, releases by
// version, collections face by face; and the record /U works from.
#include "fakes/fake_platform.h"
#include "fakes/sfnt_bytes.h"
#include "fonts/font_identity.h"
#include "fonts/font_standing.h"
#include "fonts/install_record.h"
#include "fonts/install_run.h"

#include <gtest/gtest.h>

namespace kernova::test {
namespace {

std::vector<FaceIdentity> FacesOf(FakeFileSystem& files, const std::string& path) {
    std::error_code ec;
    std::unique_ptr<InputFile> file = files.Open(path, ec);
    return file ? ReadFaceIdentities(*file) : std::vector<FaceIdentity>();
}

TEST(FontIdentity, ReleasesAreComparedByRevisionThenByTheVersionsDecimalNumber) {
    // a's revision and text, b's; which is newer.
    const std::tuple<double, const char*, double, const char*, int> cases[] = {
        {1.1, "Version 1.100", 1.0, "Version 1.000", 1},
        {1.0, "Version 1.000", 1.1, "Version 1.100", -1},
        {1.0, "Version 1.100", 1.0, "Version 1.02", 1},   // the text decides an equal revision
        {1.0, "Version 1.1", 1.0, "Version 1.100", 0},    // decimals: the same number
        {1.0, "Version 2.9", 1.0, "Version 2.10", 1},     // 2.9 is 2.90
        {1.0, "Version 1.000;hotfix 3", 1.0, "1.000", 0}, // the first number only
        {1.0, "Version 1.000.2", 1.0, "Version 1.000.10", -1},
        {1.0, "Version 010.5", 1.0, "Version 9.5", 1},
        {1.0, "", 1.0, "Version 3.0", 0}, // no number says nothing
        {2.0, "Version 1.0", 1.0, "Version 9.0", 1}};
    for (const auto& [revisionA, textA, revisionB, textB, newer] : cases) {
        const FaceIdentity a{"F", "Regular", static_cast<std::uint32_t>(revisionA * 65536), textA};
        const FaceIdentity b{"F", "Regular", static_cast<std::uint32_t>(revisionB * 65536), textB};
        EXPECT_EQ(CompareReleases(a, b), newer) << textA << " / " << textB;
    }
    EXPECT_TRUE(SameFont({"Kernova Twin", "Italic", 0, ""}, {"kernova  TWIN", "italic", 1, ""}));
    EXPECT_FALSE(SameFont({"Kernova Twin", "Italic", 0, ""}, {"Kernova Twin", "Regular", 0, ""}));
}

// The registry lists files under names; the files are read to tell fonts and releases apart.
TEST(InstalledFonts, FontsAreToldApartByNameStyleAndReleaseAndCollectionsFaceByFace) {
    const FaceSpec release{"Kernova Release", "Regular", 1.1, "Version 1.100"};
    const FaceSpec older{"Kernova Release", "Regular", 1.0, "Version 1.000"};
    const FaceSpec newer{"Kernova Release", "Regular", 1.2, "Version 1.200"};
    const FaceSpec italic{"Kernova Release", "Italic", 1.0, "Version 1.000"};
    const FaceSpec sans{"Pair Sans"}, serif{"Pair Serif"};
    struct Case {
        const char* what;
        std::vector<FaceSpec> package;
        std::vector<std::tuple<std::string, std::vector<FaceSpec>, std::vector<std::string>>>
            installed; // file, its faces (none: not there), the names it is listed under
        Standing standing;
        std::string replaces;
    };
    const Case cases[] = {
        {"nothing there", {release}, {}, Standing::New, ""},
        {"the same release",
         {release},
         {{"/fonts/R.ttf", {release}, {"Kernova Release"}}},
         Standing::Present,
         ""},
        {"a newer one",
         {release},
         {{"/fonts/R.ttf", {newer}, {"Kernova Release"}}},
         Standing::Present,
         ""},
        {"an older one",
         {release},
         {{"/fonts/Old.ttf", {older}, {"Kernova Release"}}},
         Standing::Update,
         "Old.ttf"},
        {"an older one the system's",
         {release},
         {{"/system/R.ttf", {older}, {"Kernova Release"}}},
         Standing::Update,
         ""},
        {"another style of the name",
         {release},
         {{"/fonts/I.ttf", {italic}, {"Kernova Release"}}},
         Standing::New,
         ""},
        {"listed but unreadable",
         {release},
         {{"/fonts/Gone.ttf", {}, {"Kernova Release"}}},
         Standing::Present,
         ""},
        {"one face of a collection",
         {sans, serif},
         {{"/fonts/S.ttf", {sans}, {"Pair Sans"}}},
         Standing::New,
         ""},
        {"both faces, apart",
         {sans, serif},
         {{"/fonts/S.ttf", {sans}, {"Pair Sans"}}, {"/fonts/F.ttf", {serif}, {"Pair Serif"}}},
         Standing::Present,
         ""},
        {"an older face in a shared file",
         {release},
         {{"/fonts/Both.ttc", {older, sans}, {"Kernova Release", "Pair Sans"}}},
         Standing::Update,
         ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakePlatform p;
        p.files.AddFolder("/system");
        for (const auto& [file, faces, names] : c.installed) {
            if (!faces.empty()) {
                p.files.AddFile(file, FaceBytes(faces));
            }
            for (const std::string& name : names) {
                p.fonts.registered.emplace_back(name, file);
            }
        }
        p.files.AddFile("/tmp/font.ttf", FaceBytes(c.package));
        InstalledFonts installed(p.platform, "/fonts/");
        const FontStanding standing =
            installed.Judge(FacesOf(p.files, "/tmp/font.ttf"), c.package[0].fullName);
        EXPECT_EQ(standing.standing, c.standing);
        EXPECT_EQ(standing.replaces, c.replaces);
    }
}

// An update of a file no package recorded (the user's own font) stays the user's: /U
// leaves it. One the package recorded before stays the package's; a name put on record
// ahead whose font did not come goes again.
TEST(InstallRecord, AnUpdatedFileIsThePackagesOnlyWhenItWasBefore) {
    FakePlatform p;
    const RecordedFile ours{"Ours.ttf", 13, 1}, users{"Users.ttf", 13, 2}, ahead{"Ahead.ttf", 1, 3};
    ASSERT_FALSE(RecordInstall(p.files, "/fonts/", "A", {{ours, ahead}, {}, {}, {}}));
    ASSERT_FALSE(RecordInstall(p.files, "/fonts/", "A",
                               {{users, ours}, {}, {"Users.ttf", "Ours.ttf"}, {"Ahead.ttf"}}));
    std::error_code ec;
    const std::vector<PackageRecord> records = ReadInstallRecords(p.files, "/fonts/", ec);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].files, std::vector<RecordedFile>{ours});
    EXPECT_EQ(records[0].uses, std::set<std::string>{"/fonts/Users.ttf"});
}

} // namespace
} // namespace kernova::test
