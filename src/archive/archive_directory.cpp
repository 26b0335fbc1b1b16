#include "archive/archive_directory.h"

#include "archive/archive_layout.h"
#include "archive/corrupt_package.h"
#include "archive/environment_fault.h"
#include "archive/field_numbers.h"
#include "archive/plain_file_name.h"
#include "archive/text_routines.h"
#include "platform/file_system.h"

namespace kernova {
namespace {

using namespace layout;

// Every field lies inside the file (the offsets count back from its end), so a read that
// fails is the machine's fault, not the package's.
std::string ReadField(InputFile& file, const std::string& path, std::int64_t offset,
                      std::int64_t length, const char* what, int entry) {
    std::string field(static_cast<std::size_t>(length), '\0');
    if (offset < 0) {
        throw CorruptPackage(std::string(what) + " of entry " + std::to_string(entry) +
                             " would lie before the start of the file");
    }
    if (std::error_code ec = file.ReadAt(offset, field.data(), field.size())) {
        throw UnreadableInstaller(path, ec);
    }
    return field;
}

} // namespace

ArchiveDirectory ReadArchiveDirectory(FileSystem& files, const std::string& file) {
    std::error_code ec;
    std::unique_ptr<InputFile> handle = files.Open(file, ec);
    if (!handle) {
        throw UnreadableInstaller(file, ec);
    }
    const std::int64_t length = handle->Size();
    if (length < kTrailer) {
        throw CorruptPackage("no package: the file is shorter than the archive trailer");
    }
    if (length > kMaxFileSize) {
        throw CorruptPackage("the file is 2 GiB or larger; a package never is");
    }

    ArchiveDirectory directory;
    std::string countField =
        ReadField(*handle, file, length - kCountFromEnd, kCountField, "count field", 0);
    std::optional<std::int16_t> count = RoundToInt16(LeadingNumber(StripLineBreaks(countField)));
    if (!count) {
        throw CorruptPackage("the entry count \"" + Printable(countField) +
                             "\" is not between -32768 and 32767 (a package holds at most " +
                             "32767 entries)");
    }
    directory.EntryCount = *count;

    // pos is 0 for the entry nearest the trailer and moves back by each entry's record.
    std::int64_t pos = 0;
    int n = 0;
    do {
        ++n;
        std::string name =
            ReadField(*handle, file, length - kNameFromEnd + pos, kNameField, "name field", n);
        std::string sizeField =
            ReadField(*handle, file, length - kSizeFromEnd + pos, kSizeField, "size field", n);
        std::optional<std::int64_t> size = ParseSizeField(sizeField);
        if (!size) {
            throw CorruptPackage("the size field of entry " + std::to_string(n) +
                                 " is not a number: \"" + Printable(sizeField) + "\"");
        }
        StripLineBreaks(name);
        if (!IsPlainFileName(name)) {
            throw CorruptPackage("entry " + std::to_string(n) + " has a name that is not a " +
                                 "plain file name: \"" + Printable(name) + "\"");
        }
        // Every entry's bytes must lie between the start of the file and its name field.
        const std::int64_t dataOffset = length - kNameFromEnd + pos - *size;
        if (*size < 0 || dataOffset < 0) {
            throw CorruptPackage("the data of entry " + std::to_string(n) + " (\"" +
                                 Printable(name) + "\", " + std::to_string(*size) +
                                 " bytes) would lie outside the file");
        }
        directory.entries.push_back(
            ArchiveEntry{std::move(name), static_cast<std::int32_t>(*size), dataOffset});
        pos = pos - *size - kRecordFields;
        if (pos < INT32_MIN) {
            throw CorruptPackage("the entry positions leave the 32-bit range");
        }
    } while (n < directory.EntryCount);
    return directory;
}

} // namespace kernova
