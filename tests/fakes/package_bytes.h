#pragma once

#include "archive/package_writer.h"
#include "platform/exit_code.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kernova::test {

class FakeFileSystem;

// `size` bytes of a pattern that differs with `seed`, so swapped or shifted data shows.
std::string PatternBytes(std::size_t size, unsigned seed);

// A stand-in installer image of `size` bytes (the archive reader never looks at it).
std::string StubBytes(std::size_t size);

// Archive fields as a correct writer makes them.
std::string NameField(const std::string& name); // CR-padded on the left to 40 bytes
std::string SizeField(std::int64_t size);       // ten digits, leading zeros
std::string CountField(int count);              // CR-padded on the left to 5 bytes
RawEntry RawFile(const std::string& name, const std::string& data);

PackageInput BytesEntry(const std::string& name, const std::string& bytes);

// kernova.xml as packages carry it: "<XML>", one line per tag in the given order, "</XML>",
// CR LF line ends.
PackageInput DescriptorEntry(const std::vector<std::pair<std::string, std::string>>& tags);

// A complete 1 x 1 PNG picture.
std::string PngBytes();

// Writes an installer at `path` in `files`: a small stub with `entries` appended by the
// package writer. The last entry is the one read first (index 0 of lstFiles).
void MakeFakeInstaller(FakeFileSystem& files, const std::string& path,
                       const std::vector<PackageInput>& entries);

// Runs `action`; the exit status when it ended the program, nothing when it returned.
std::optional<ExitCode> EndsProgram(const std::function<void()>& action);

} // namespace kernova::test
