// The five-entry example package: written by our writer, checked byte for byte at every
// field position, listed and extracted by our reader.
#include "archive/archive_directory.h"
#include "archive/extraction.h"
#include "archive/package_writer.h"
#include "support/archive_fixtures.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using test::PatternBytes;

struct ExampleEntry {
    std::string name;
    std::size_t size;
};

// In the order they are appended.
const std::vector<ExampleEntry> kAppended = {
    {"SampleSans.ttf", 55652}, {"SampleSerif.ttf", 56768}, {"left.jpg", 12610},
    {"top.jpg", 3164},         {"kernova.xml", 221},
};
constexpr std::size_t kStubSize = 40960;

class ExamplePackage : public ::testing::Test {
  protected:
    void SetUp() override {
        std::vector<PackageInput> inputs;
        for (std::size_t i = 0; i < kAppended.size(); ++i) {
            contents_.push_back(PatternBytes(kAppended[i].size, static_cast<unsigned>(i + 1)));
            fs::path source = sandbox_.work() / ("source-" + kAppended[i].name);
            test::WriteFileBytes(source, contents_.back());
            PackageInput input;
            input.name = kAppended[i].name;
            input.sourcePath = source.string();
            inputs.push_back(input);
        }
        test::WriteFileBytes(stubPath(), test::StubBytes(kStubSize));
        WritePackage(stubPath().string(), inputs, installerPath().string());
        bytes_ = test::ReadFileBytes(installerPath());
    }

    fs::path stubPath() const { return sandbox_.work() / "stub"; }
    fs::path installerPath() const { return sandbox_.work() / "installer"; }
    std::string At(std::int64_t offset, std::size_t length) const {
        return bytes_.substr(static_cast<std::size_t>(offset), length);
    }

    test::Sandbox sandbox_;
    std::vector<std::string> contents_;
    std::string bytes_;
};

TEST_F(ExamplePackage, TrailerIsCountTabsAndLineEnd) {
    std::size_t expectedLength = kStubSize + 519;
    for (const ExampleEntry& entry : kAppended) {
        expectedLength += entry.size + 50;
    }
    ASSERT_EQ(bytes_.size(), expectedLength);
    const auto length = static_cast<std::int64_t>(bytes_.size());
    EXPECT_EQ(At(length - 519, 5), std::string("\x0d\x0d\x0d\x0d\x35"));
    EXPECT_EQ(At(length - 514, 512), std::string(512, '\x09'));
    EXPECT_EQ(At(length - 2, 2), std::string("\x0d\x0a"));
}

TEST_F(ExamplePackage, DescriptorFieldsLieJustBeforeTheCount) {
    const auto length = static_cast<std::int64_t>(bytes_.size());
    EXPECT_EQ(At(length - 529, 10), "0000000221");
    EXPECT_EQ(At(length - 569, 40), std::string(29, '\r') + "kernova.xml");
    EXPECT_TRUE(At(length - 569 - 221, 221) == contents_[4]);
}

TEST_F(ExamplePackage, EveryFieldIsWhereTheReaderLooks) {
    const auto length = static_cast<std::int64_t>(bytes_.size());
    std::int64_t before = 0; // P_k: the records read before entry k
    std::int64_t dataStart = -1;
    for (std::size_t k = 0; k < kAppended.size(); ++k) {
        const std::size_t appended = kAppended.size() - 1 - k;
        const ExampleEntry& entry = kAppended[appended];
        const auto size = static_cast<std::int64_t>(entry.size);
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(At(length - 529 - before, 10), test::SizeField(size));
        EXPECT_EQ(At(length - 569 - before, 40), test::NameField(entry.name));
        dataStart = length - 569 - before - size;
        EXPECT_TRUE(At(dataStart, entry.size) == contents_[appended]);
        before += size + 50;
    }
    // The last entry read, the first font, begins right after the executable image.
    EXPECT_EQ(dataStart, static_cast<std::int64_t>(kStubSize));
    EXPECT_TRUE(bytes_.substr(0, kStubSize) == test::StubBytes(kStubSize));
}

TEST_F(ExamplePackage, ListsInReverseOrderOfAppending) {
    ArchiveDirectory directory = ReadArchiveDirectory(installerPath().string());
    EXPECT_EQ(directory.EntryCount, 5);
    std::vector<std::string> names;
    std::vector<std::int32_t> sizes;
    for (const ArchiveEntry& entry : directory.entries) {
        names.push_back(entry.name);
        sizes.push_back(entry.size);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"kernova.xml", "top.jpg", "left.jpg",
                                               "SampleSerif.ttf", "SampleSans.ttf"}));
    EXPECT_EQ(sizes, (std::vector<std::int32_t>{221, 3164, 12610, 56768, 55652}));
    EXPECT_EQ(directory.entries.back().dataOffset, static_cast<std::int64_t>(kStubSize));
}

TEST_F(ExamplePackage, ExtractsEveryEntryByteForByte) {
    ArchiveDirectory directory = ReadArchiveDirectory(installerPath().string());
    ExtractionFolder folder(sandbox_.tmp().string());
    ExtractAll(installerPath().string(), directory, folder.path(), {});
    EXPECT_EQ(test::FolderNames(folder.path()),
              (std::vector<std::string>{"SampleSans.ttf", "SampleSerif.ttf", "kernova.xml",
                                        "left.jpg", "top.jpg"}));
    for (std::size_t i = 0; i < kAppended.size(); ++i) {
        EXPECT_TRUE(test::ReadFileBytes(folder.path() + kAppended[i].name) == contents_[i])
            << kAppended[i].name;
    }
}

} // namespace
} // namespace kernova
