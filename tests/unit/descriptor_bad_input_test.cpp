#include "config/descriptor.h"
#include "config/field_reader.h"
#include "platform/linux/regular_file.h"
#include "support/sandbox.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kernova {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kLimit = FieldReader::kMaxFieldBytes;

class DescriptorBadInput : public ::testing::Test {
  protected:
    std::string Read(const fs::path& path) { return ReadTag("Title", path.string(), "fallback"); }
    fs::path File(const std::string& bytes) {
        const fs::path path = sandbox.work() / "kernova.xml";
        test::WriteFileBytes(path, bytes);
        return path;
    }
    test::Sandbox sandbox;
};

TEST_F(DescriptorBadInput, WhatIsNoReadableDescriptorGivesTheDefault) {
    EXPECT_EQ(Read(sandbox.work() / "absent.xml"), "fallback");
    EXPECT_EQ(Read(sandbox.work()), "fallback");
    EXPECT_EQ(Read("/dev/zero"), "fallback"); // a device is not read
    EXPECT_EQ(Read(File("")), "fallback");
    std::mt19937 random(20240521);
    std::string bytes(1 << 20, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xFF);
    }
    EXPECT_EQ(Read(File(bytes)), "fallback");

    const std::string saved = DescriptorPath;
    DescriptorPath.clear();
    EXPECT_EQ(ReadTag("Title", "", "fallback"), "fallback");
    DescriptorPath = saved;

    const fs::path path = File("<Title>Secret</Title>\r\n");
    fs::permissions(path, fs::perms::none);
    if (!std::ifstream(path).good()) { // root reads files whatever their permissions
        EXPECT_EQ(Read(path), "fallback");
    }
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(Read(path), "fallback"); // a FIFO is not waited on
}

TEST_F(DescriptorBadInput, LongestFieldIsReadOneMoreIsRefused) {
    const std::string value = "<Title>Long</Title>";
    const std::string atLimit = value + std::string(kLimit - value.size(), 'x');
    EXPECT_EQ(Read(File(atLimit + "\r\n")), "Long");
    EXPECT_EQ(Read(File(atLimit + "x\r\n")), "fallback");
    EXPECT_EQ(Read(File(std::string(kLimit + 1, ' ') + value)), "fallback");
    EXPECT_EQ(Read(File("<Title>Short file</Title>")), "Short file");
    EXPECT_EQ(Read(File(std::string(3 * kLimit, 'x') + "<Title>Far</Title>")), "fallback");
    // Quoted fields have the same limit; what follows an overlong field is not reached.
    EXPECT_EQ(Read(File("\"<Title>Q</Title>" + std::string(kLimit, ',') + "\"")), "fallback");
    EXPECT_EQ(Read(File("\"<Title>Q</Title>\"" + std::string(kLimit, 'x') + "\r\n")), "fallback");
    EXPECT_EQ(Read(File(std::string(kLimit + 1, 'x') + "\r\n<Title>After</Title>\r\n")),
              "fallback");
}

// A multi-gigabyte file of one line is neither slurped nor read to its end.
TEST_F(DescriptorBadInput, HugeSingleLineFileIsReadOnlyUpToTheLimit) {
    const fs::path path = File("<Title>Huge");
    std::error_code ec;
    fs::resize_file(path, std::uintmax_t{8} << 30, ec); // sparse: no disk is used
    if (ec) {
        GTEST_SKIP() << "cannot make a sparse file here: " << ec.message();
    }
    EXPECT_EQ(Read(path), "fallback");
    std::optional<RegularFile> file = RegularFile::Open(path.string());
    ASSERT_TRUE(file);
    FieldReader reader(*file);
    EXPECT_FALSE(reader.Next());
    EXPECT_LE(::lseek(file->fd(), 0, SEEK_CUR), static_cast<off_t>(2 * kLimit));
}

TEST(FieldReader, SplitsFieldsAndStopsAtTheEnd) {
    test::Sandbox sandbox;
    const fs::path path = sandbox.work() / "fields.txt";
    test::WriteFileBytes(path, "  a b ,\"c,d\"x,e\r\n\r\nf\rg\n\"h\ni");
    std::optional<RegularFile> file = RegularFile::Open(path.string());
    ASSERT_TRUE(file);
    FieldReader reader(*file);
    std::vector<std::string> fields;
    while (!reader.AtEnd()) {
        std::optional<std::string> field = reader.Next();
        ASSERT_TRUE(field);
        fields.push_back(*field);
    }
    EXPECT_EQ(fields, (std::vector<std::string>{"a b ", "c,d", "e", "", "f", "g", "h\ni"}));
    EXPECT_FALSE(reader.Next()) << "asking past the end is a failure";
}

} // namespace
} // namespace kernova
