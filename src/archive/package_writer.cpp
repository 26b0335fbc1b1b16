#include "archive/package_writer.h"

#include "archive/archive_layout.h"
#include "archive/copy_bytes.h"
#include "archive/file_handle.h"
#include "archive/line_ends.h"
#include "archive/plain_file_name.h"
#include "archive/staged_file.h"

#include <cstdio>
#include <fcntl.h>
#include <set>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

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

// An input opened for reading, with its identity and size as first seen.
struct OpenInput {
    FileHandle file;
    struct stat info {};
};

OpenInput OpenSource(const std::string& path, const std::string& what) {
    OpenInput input;
    std::error_code ec;
    input.file = FileHandle::Open(path, O_RDONLY, ec);
    if (!input.file.valid()) {
        Fail("cannot read " + what + " " + path + ": " + ec.message());
    }
    if (::fstat(input.file.get(), &input.info) != 0 || !S_ISREG(input.info.st_mode)) {
        Fail("cannot read " + what + " " + path + ": not a regular file");
    }
    return input;
}

// The stored size of a text converted to CR LF line ends, read through once.
std::int64_t ConvertedSize(int fd, std::int64_t length, const std::string& path) {
    CrLfConverter converter;
    std::string piece(kTextPiece, '\0');
    std::string out;
    std::int64_t size = 0;
    for (std::int64_t offset = 0; offset < length;) {
        auto part = static_cast<std::size_t>(std::min<std::int64_t>(length - offset, kTextPiece));
        if (ReadExactly(fd, offset, piece.data(), part)) {
            Fail("cannot read " + path);
        }
        out.clear();
        converter.Convert(std::string_view(piece.data(), part), out);
        size += static_cast<std::int64_t>(out.size());
        offset += static_cast<std::int64_t>(part);
    }
    return size;
}

std::int64_t StoredSize(const PackageInput& input) {
    if (FromMemory(input)) {
        if (!input.crlfLineEnds) {
            return static_cast<std::int64_t>(input.data.size());
        }
        std::string converted;
        CrLfConverter().Convert(input.data, converted);
        return static_cast<std::int64_t>(converted.size());
    }
    OpenInput source = OpenSource(input.sourcePath, "input");
    return input.crlfLineEnds
               ? ConvertedSize(source.file.get(), source.info.st_size, input.sourcePath)
               : source.info.st_size;
}

void Write(int fd, std::string_view bytes, const std::string& output) {
    if (std::error_code ec = WriteAll(fd, bytes.data(), bytes.size())) {
        Fail("cannot write " + output + ": " + ec.message());
    }
}

void WriteConvertedText(int from, std::int64_t length, int to, const std::string& output) {
    CrLfConverter converter;
    std::string piece(kTextPiece, '\0');
    std::string out;
    for (std::int64_t offset = 0; offset < length;) {
        auto part = static_cast<std::size_t>(std::min<std::int64_t>(length - offset, kTextPiece));
        if (ReadExactly(from, offset, piece.data(), part)) {
            Fail("an input changed or became unreadable while " + output + " was written");
        }
        out.clear();
        converter.Convert(std::string_view(piece.data(), part), out);
        Write(to, out, output);
        offset += static_cast<std::int64_t>(part);
    }
}

// Appends one entry's data; returns how many bytes were stored.
std::int64_t WriteData(const PackageInput& input, int to, const std::string& output) {
    if (FromMemory(input)) {
        std::string converted;
        if (input.crlfLineEnds) {
            CrLfConverter().Convert(input.data, converted);
        }
        const std::string& bytes = input.crlfLineEnds ? converted : input.data;
        Write(to, bytes, output);
        return static_cast<std::int64_t>(bytes.size());
    }
    OpenInput source = OpenSource(input.sourcePath, "input");
    if (input.crlfLineEnds) {
        WriteConvertedText(source.file.get(), source.info.st_size, to, output);
        return -1; // the caller compares with the size measured before
    }
    if (std::error_code ec = CopyBytes(source.file.get(), 0, to, source.info.st_size)) {
        Fail("cannot copy " + input.sourcePath + " into " + output + ": " + ec.message());
    }
    return source.info.st_size;
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

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string FolderOf(const std::string& path) {
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

void WritePackage(const std::string& stubPath, const std::vector<PackageInput>& inputs,
                  const std::string& outputPath) {
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
    OpenInput stub = OpenSource(stubPath, "the stub");
    std::vector<std::int64_t> sizes;
    std::int64_t total = stub.info.st_size + kTrailer;
    for (const PackageInput& input : inputs) {
        sizes.push_back(StoredSize(input));
        total += sizes.back() + kRecordFields;
        if (total > kMaxFileSize) {
            Fail("the installer would be 2 GiB or larger (at " + Quoted(input.name) +
                 "); a package must stay below 2 GiB");
        }
    }

    // Renaming the finished output onto an input would destroy that input.
    struct stat existing {};
    if (::stat(outputPath.c_str(), &existing) == 0) {
        if (SameFile(existing, stub.info)) {
            Fail("the output " + outputPath + " is the stub itself");
        }
        for (const PackageInput& input : inputs) {
            struct stat source {};
            if (!FromMemory(input) && ::stat(input.sourcePath.c_str(), &source) == 0 &&
                SameFile(existing, source)) {
                Fail("the output " + outputPath + " is the input " + input.sourcePath);
            }
        }
    }

    std::error_code ec;
    StagedFile out(FolderOf(outputPath), 0777, ec);
    if (!out.valid()) {
        Fail("cannot create " + outputPath + ": " + ec.message());
    }
    if ((ec = CopyBytes(stub.file.get(), 0, out.fd(), stub.info.st_size))) {
        Fail("cannot copy the stub " + stubPath + " into " + outputPath + ": " + ec.message());
    }
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        std::int64_t stored = WriteData(inputs[i], out.fd(), outputPath);
        if (stored >= 0 && stored != sizes[i]) {
            Fail("the input " + inputs[i].sourcePath + " changed while " + outputPath +
                 " was written");
        }
        Write(out.fd(), NameField(inputs[i].name) + SizeField(sizes[i]), outputPath);
    }
    Write(out.fd(), Trailer(inputs.size()), outputPath);

    struct stat written {};
    if (::fstat(out.fd(), &written) != 0 || written.st_size != total) {
        Fail("an input changed while " + outputPath + " was written");
    }
    if (::fsync(out.fd()) != 0) {
        Fail("cannot write " + outputPath + ": " +
             std::error_code(errno, std::generic_category()).message());
    }
    if ((ec = out.Commit(outputPath))) {
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
