#pragma once

#include "archive/package_writer.h"
#include "fakes/fake_file_system.h"
#include "platform/runtime.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <random>

namespace kernova::test {

// `size` bytes of a pattern that differs with `seed`, so swapped or shifted data shows.
inline std::string PatternBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    std::minstd_rand next(seed + 1);
    std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<char>(next() >> 7); });
    return bytes;
}

// A stand-in installer image of `size` bytes (the archive reader never looks at it).
inline std::string StubBytes(std::size_t size) {
    std::string stub = "\x7f"
                       "ELF stand-in installer image\n";
    stub.resize(size, '\0');
    return stub;
}

// Archive fields as a correct writer makes them: names CR-padded on the left to 40 bytes,
// sizes in ten digits.
inline std::string NameField(const std::string& name) {
    return std::string(40 - std::min<std::size_t>(40, name.size()), '\r') + name;
}
inline std::string SizeField(std::int64_t size) {
    const std::string digits = std::to_string(size);
    return std::string(10 - std::min<std::size_t>(10, digits.size()), '0') + digits;
}
inline RawEntry RawFile(const std::string& name, const std::string& data) {
    return RawEntry{data, NameField(name), SizeField(static_cast<std::int64_t>(data.size()))};
}

inline PackageInput BytesEntry(const std::string& name, const std::string& bytes,
                               bool crlfLineEnds = false) {
    return PackageInput{name, "", bytes, true, crlfLineEnds};
}

// kernova.xml as packages carry it: "<XML>", one line per tag in the given order, "</XML>",
// CR LF line ends.
inline PackageInput DescriptorEntry(const std::vector<std::pair<std::string, std::string>>& tags) {
    std::string text = "<XML>\r\n";
    for (const auto& [tag, value] : tags) {
        text += "<" + tag + ">" + value + "</" + tag + ">\r\n";
    }
    return BytesEntry("kernova.xml", text + "</XML>\r\n");
}

// A complete 1 x 1 PNG picture.
inline std::string PngBytes() {
    return std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0\x1F\x15"
                       "\xC4\x89\0\0\0\nIDATx\x9C\x63\0\x01\0\0\x05\0\x01\r\n-\xB4\0\0\0\0IEND"
                       "\xAE\x42\x60\x82",
                       67);
}

// Writes an installer at `path` in `files`: a small stub with `entries` appended by the
// package writer. The last entry is the one read first (index 0 of lstFiles).
inline void MakeFakeInstaller(FakeFileSystem& files, const std::string& path,
                              const std::vector<PackageInput>& entries) {
    files.AddFile("/stub", StubBytes(300));
    WritePackage(files, "/stub", entries, path);
    (void)files.Remove("/stub");
}

// Runs `action`; the exit status when it ended the program, nothing when it returned.
inline std::optional<ExitCode> EndsProgram(const std::function<void()>& action) {
    try {
        action();
    } catch (const ProgramEnded& ended) {
        return ended.code;
    }
    return std::nullopt;
}

} // namespace kernova::test
