#include "archive/package_writer.h"

#include "archive/archive_layout.h"
#include "archive/line_ends.h"
#include "archive/plain_file_name.h"
#include "platform/file_system.h"
#include "platform/path.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <stdexcept>

namespace kernova {
namespace {

using namespace layout;

constexpr std::size_t kTextPiece = std::size_t{64} << 10;

bool FromMemory(const PackageInput& input) {
    return input.fromMemory || input.sourcePath.empty();
}

[[noreturn]] void Fail(const std::string& message) {
    throw std::runtime_error(message);
}

std::string Quoted(const std::string& name) {
    std::string quoted(1, '"');
    quoted += Printable(name);
    quoted += '"';
    return quoted;
}

void CheckName(const std::string& name) {
    if (name.size() > static_cast<std::size_t>(kNameField)) {
        Fail(Quoted(name) + ": a stored name is at most 40 bytes; this one has " +
             std::to_string(name.size()));
    }
    if (!IsPlainFileName(name) || name.find_first_of("\r\n") != std::string::npos) {
        Fail(Quoted(name) + " is not a plain file name (no folder part, \"/\", \"\\\", CR, "
                            "LF or NUL; not \".\" or \"..\")");
    }
}

// An input opened for reading; its size is the size as first seen.
std::unique_ptr<InputFile> OpenSource(FileSystem& files, const std::string& path,
                                      const std::string& what) {
    std::error_code ec;
    std::unique_ptr<InputFile> input = files.Open(path, ec);
    if (ec == std::errc::invalid_argument) {
        Fail("cannot read " + what + " " + path + ": not a regular file");
    }
    if (!input) {
        Fail("cannot read " + what + " " + path + ": " + ec.message());
    }
    return input;
}

// The stored size of a text converted to CR LF line ends, read through once.
std::int64_t ConvertedSize(InputFile& file, std::int64_t length, const std::string& path) {
    CrLfConverter converter;
    std::string piece(kTextPiece, '\0');
    std::string out;
    std::int64_t size = 0;
    for (std::int64_t offset = 0; offset < length;) {
        auto part = static_cast<std::size_t>(std::min<std::int64_t>(length - offset, kTextPiece));
        if (file.ReadAt(offset, piece.data(), part)) {
            Fail("cannot read " + path);
        }
        out.clear();
        converter.Convert(std::string_view(piece.data(), part), out);
        size += static_cast<std::int64_t>(out.size());
        offset += static_cast<std::int64_t>(part);
    }
    return size;
}

std::int64_t StoredSize(FileSystem& files, const PackageInput& input) {
    if (FromMemory(input)) {
        if (!input.crlfLineEnds) {
            return static_cast<std::int64_t>(input.data.size());
        }
        std::string converted;
        CrLfConverter().Convert(input.data, converted);
        return static_cast<std::int64_t>(converted.size());
    }
    std::unique_ptr<InputFile> source = OpenSource(files, input.sourcePath, "input");
    return input.crlfLineEnds ? ConvertedSize(*source, source->Size(), input.sourcePath)
                              : source->Size();
}

void Write(StagedFile& to, std::string_view bytes, const std::string& output) {
    if (std::error_code ec = to.Write(bytes.data(), bytes.size())) {
        Fail("cannot write " + output + ": " + ec.message());
    }
}

// Returns how many bytes were stored.
std::int64_t WriteConvertedText(InputFile& from, std::int64_t length, StagedFile& to,
                                const std::string& output) {
    CrLfConverter converter;
    std::string piece(kTextPiece, '\0');
    std::string out;
    std::int64_t stored = 0;
    for (std::int64_t offset = 0; offset < length;) {
        auto part = static_cast<std::size_t>(std::min<std::int64_t>(length - offset, kTextPiece));
        if (from.ReadAt(offset, piece.data(), part)) {
            Fail("an input changed or became unreadable while " + output + " was written");
        }
        out.clear();
        converter.Convert(std::string_view(piece.data(), part), out);
        Write(to, out, output);
        stored += static_cast<std::int64_t>(out.size());
        offset += static_cast<std::int64_t>(part);
    }
    return stored;
}

// Appends one entry's data; returns how many bytes were stored.
std::int64_t WriteData(FileSystem& files, const PackageInput& input, StagedFile& to,
                       const std::string& output) {
    if (FromMemory(input)) {
        std::string converted;
        if (input.crlfLineEnds) {
            CrLfConverter().Convert(input.data, converted);
        }
        const std::string& bytes = input.crlfLineEnds ? converted : input.data;
        Write(to, bytes, output);
        return static_cast<std::int64_t>(bytes.size());
    }
    std::unique_ptr<InputFile> source = OpenSource(files, input.sourcePath, "input");
    if (input.crlfLineEnds) {
        return WriteConvertedText(*source, source->Size(), to, output);
    }
    if (std::error_code ec = to.CopyFrom(*source, 0, source->Size())) {
        // The failing side may be either; the output is what could not be made.
        Fail("cannot write " + output + " (copying " + input.sourcePath +
             " into it): " + ec.message());
    }
    return source->Size();
}

std::string NameField(const std::string& name) {
    return std::string(static_cast<std::size_t>(kNameField) - name.size(), '\r') + name;
}

std::string SizeField(std::int64_t size) {
    char field[32];
    std::snprintf(field, sizeof field, "%010lld", static_cast<long long>(size));
    return field;
}

std::string CountField(std::size_t count) {
    std::string digits = std::to_string(count);
    return std::string(static_cast<std::size_t>(kCountField) - digits.size(), '\r') + digits;
}

std::string Trailer(std::size_t count) {
    return CountField(count) + std::string(static_cast<std::size_t>(kTabBlock), '\t') + "\r\n";
}

// The folder the output goes into: the current one for a bare name.
std::string OutputFolder(const std::string& path) {
    const std::string folder = FolderOf(path);
    return folder.empty() ? "." : folder;
}

} // namespace

void WritePackage(FileSystem& files, const std::string& stubPath,
                  const std::vector<PackageInput>& inputs, const std::string& outputPath) {
    if (inputs.empty()) {
        Fail("a package holds at least one entry");
    }
    if (inputs.size() > static_cast<std::size_t>(kMaxEntries)) {
        Fail("a package holds at most 32767 entries; " + std::to_string(inputs.size()) +
             " were given");
    }
    std::set<std::string> names;
    for (const PackageInput& input : inputs) {
        CheckName(input.name);
        if (!names.insert(input.name).second) {
            Fail("two entries are named " + Quoted(input.name) +
                 "; the installer would keep only one of them");
        }
    }

    // Sizes first: the whole installer must stay below 2 GiB before anything is written.
    std::unique_ptr<InputFile> stub = OpenSource(files, stubPath, "the stub");
    std::vector<std::int64_t> sizes;
    std::int64_t total = stub->Size() + kTrailer;
    for (const PackageInput& input : inputs) {
        sizes.push_back(StoredSize(files, input));
        total += sizes.back() + kRecordFields;
        if (total > kMaxFileSize) {
            Fail("the installer would be 2 GiB or larger (at " + Quoted(input.name) +
                 "); a package must stay below 2 GiB");
        }
    }

    // Committing the finished output onto an input would destroy that input.
    if (files.SameFile(outputPath, stubPath)) {
        Fail("the output " + outputPath + " is the stub itself");
    }
    for (const PackageInput& input : inputs) {
        if (!FromMemory(input) && files.SameFile(outputPath, input.sourcePath)) {
            Fail("the output " + outputPath + " is the input " + input.sourcePath);
        }
    }

    std::error_code ec;
    std::unique_ptr<StagedFile> out = files.Stage(OutputFolder(outputPath), 0777, ec);
    if (!out) {
        Fail("cannot create " + outputPath + ": " + ec.message());
    }
    if ((ec = out->CopyFrom(*stub, 0, stub->Size()))) {
        Fail("cannot write " + outputPath + " (copying the stub " + stubPath +
             " into it): " + ec.message());
    }
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        std::int64_t stored = WriteData(files, inputs[i], *out, outputPath);
        if (stored != sizes[i]) {
            Fail("the input " + inputs[i].sourcePath + " changed while " + outputPath +
                 " was written");
        }
        Write(*out, NameField(inputs[i].name) + SizeField(sizes[i]), outputPath);
    }
    Write(*out, Trailer(inputs.size()), outputPath);
    if ((ec = out->Flush())) {
        Fail("cannot write " + outputPath + ": " + ec.message());
    }
    if ((ec = out->Commit(outputPath, Placement::Replace))) {
        Fail("cannot create " + outputPath + ": " + ec.message());
    }
}

std::string BuildRawArchive(const std::vector<RawEntry>& entries, const std::string& countField) {
    std::string archive;
    for (const RawEntry& entry : entries) {
        archive += entry.data;
        archive += entry.nameField;
        archive += entry.sizeField;
    }
    archive += countField;
    archive += std::string(static_cast<std::size_t>(kTabBlock), '\t');
    archive += "\r\n";
    return archive;
}

} // namespace kernova
