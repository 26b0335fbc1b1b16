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

// In the order they are appended.
const std::vector<std::pair<std::string, std::size_t>> kAppended = {
    {"SampleSans.ttf", 55652}, {"SampleSerif.ttf", 56768}, {"left.jpg", 12610},
    {"top.jpg", 3164},         {"kernova.xml", 221},
};
constexpr std::size_t kStubSize = 40960;

class ExamplePackage : public ::testing::Test {
  protected:
    void SetUp() override {
        std::vector<PackageInput> inputs;
        for (std::size_t i = 0; i < kAppended.size(); ++i) {
            contents_.push_back(test::PatternBytes(kAppended[i].second, unsigned(i + 1)));
            fs::path source = sandbox_.work() / ("source-" + kAppended[i].first);
            test::WriteFileBytes(source, contents_.back());
            PackageInput input;
            input.name = kAppended[i].first;
            input.sourcePath = source.string();
            inputs.push_back(input);
        }
        test::WriteFileBytes(sandbox_.work() / "stub", test::StubBytes(kStubSize));
        WritePackage((sandbox_.work() / "stub").string(), inputs, installer().string());
        bytes_ = test::ReadFileBytes(installer());
    }
    fs::path installer() const { return sandbox_.work() / "installer"; }
    std::string At(std::int64_t offset, std::size_t length) const {
        return bytes_.substr(static_cast<std::size_t>(offset), length);
    }

    test::Sandbox sandbox_;
    std::vector<std::string> contents_;
    std::string bytes_;
};

TEST_F(ExamplePackage, EveryFieldAndTheTrailerAreWhereTheReaderLooks) {
    std::size_t expectedLength = kStubSize + 519;
    for (const auto& entry : kAppended) {
        expectedLength += entry.second + 50;
    }
    ASSERT_EQ(bytes_.size(), expectedLength);
    const auto length = static_cast<std::int64_t>(bytes_.size());
    EXPECT_EQ(At(length - 519, 5), std::string("\x0d\x0d\x0d\x0d\x35"));
    EXPECT_EQ(At(length - 514, 512), std::string(512, '\x09'));
    EXPECT_EQ(At(length - 2, 2), std::string("\x0d\x0a"));
    EXPECT_EQ(At(length - 529, 10), "0000000221");
    EXPECT_EQ(At(length - 569, 40), std::string(29, '\r') + "kernova.xml");

    std::int64_t before = 0; // the records read before entry k
    std::int64_t dataStart = -1;
    for (std::size_t k = 0; k < kAppended.size(); ++k) {
        const std::size_t appended = kAppended.size() - 1 - k;
        const auto& [name, size] = kAppended[appended];
        SCOPED_TRACE(name);
        EXPECT_EQ(At(length - 529 - before, 10), test::SizeField(std::int64_t(size)));
        EXPECT_EQ(At(length - 569 - before, 40), test::NameField(name));
        dataStart = length - 569 - before - std::int64_t(size);
        EXPECT_TRUE(At(dataStart, size) == contents_[appended]);
        before += std::int64_t(size) + 50;
    }
    // The last entry read, the first font, begins right after the executable image.
    EXPECT_EQ(dataStart, static_cast<std::int64_t>(kStubSize));
    EXPECT_TRUE(bytes_.substr(0, kStubSize) == test::StubBytes(kStubSize));
}

TEST_F(ExamplePackage, ListsInReverseOrderAndExtractsByteForByte) {
    ArchiveDirectory directory = ReadArchiveDirectory(installer().string());
    EXPECT_EQ(directory.EntryCount, 5);
    std::vector<std::pair<std::string, std::size_t>> listed;
    for (const ArchiveEntry& entry : directory.entries) {
        listed.emplace_back(entry.name, std::size_t(entry.size));
    }
    EXPECT_EQ(listed, decltype(listed)(kAppended.rbegin(), kAppended.rend()));
    EXPECT_EQ(directory.entries.back().dataOffset, static_cast<std::int64_t>(kStubSize));

    ExtractionFolder folder(sandbox_.tmp().string());
    ExtractAll(installer().string(), directory, folder.path(), {});
    EXPECT_EQ(test::FolderNames(folder.path()).size(), kAppended.size());
    for (std::size_t i = 0; i < kAppended.size(); ++i) {
        EXPECT_TRUE(test::ReadFileBytes(folder.path() + kAppended[i].first) == contents_[i])
            << kAppended[i].first;
    }
}

} // namespace
} // namespace kernova
