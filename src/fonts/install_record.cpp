#include "fonts/install_record.h"

#include "archive/plain_file_name.h"
#include "archive/text_routines.h"
#include "platform/file_system.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

namespace kernova {
namespace {

constexpr const char* kHeading =
    "# Fonts that Kernova installers put here, by package: each one's /U removes its own.";
// Far more than thousands of packages' records; a larger file is not ours.
constexpr std::int64_t kMaxRecordSize = 64 * 1024 * 1024;
// The sfnt header and table directory, with every table's checksum, fit in the first
// 4 KiB of any real font: a digest of them tells a changed font at the cost of one read.
constexpr std::size_t kDigestBytes = 4096;

std::uint64_t Fnv1a(const unsigned char* data, std::size_t size) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ data[i]) * 1099511628211ULL;
    }
    return hash;
}

std::string Hex(std::uint64_t value) {
    char text[17];
    auto [end, ec] = std::to_chars(text, text + 16, value, 16);
    return std::string(16 - static_cast<std::size_t>(end - text), '0') + std::string(text, end);
}

template <typename Number> bool ParseNumber(std::string_view text, Number& out, int base = 10) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && end == text.data() + text.size();
}

// "file <size> <digest> <name>": the name runs to the end of the line.
bool ParseFileLine(std::string_view rest, RecordedFile& file) {
    const std::size_t first = rest.find(' ');
    const std::size_t second = first == std::string_view::npos ? first : rest.find(' ', first + 1);
    if (second == std::string_view::npos) {
        return false;
    }
    file.name = std::string(rest.substr(second + 1));
    return ParseNumber(rest.substr(0, first), file.size) &&
           ParseNumber(rest.substr(first + 1, second - first - 1), file.digest, 16) &&
           IsPlainFileName(file.name);
}

std::vector<PackageRecord> ParseRecords(const std::string& text, std::error_code& ec) {
    std::vector<PackageRecord> records;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::string_view view(line);
        RecordedFile file;
        if (view.empty() || view.front() == '#') {
            continue;
        }
        if (view.starts_with("package ")) {
            records.push_back({std::string(view.substr(8)), {}, {}});
        } else if (view.starts_with("file ") && !records.empty() &&
                   ParseFileLine(view.substr(5), file)) {
            records.back().files.push_back(std::move(file));
        } else if (view.starts_with("uses ") && !records.empty()) {
            records.back().uses.insert(std::string(view.substr(5)));
        } else {
            ec = std::make_error_code(std::errc::illegal_byte_sequence);
            return {};
        }
    }
    return records;
}

} // namespace

std::error_code DescribeFile(FileSystem& files, const std::string& path, RecordedFile& out) {
    std::error_code ec;
    std::unique_ptr<InputFile> file = files.Open(path, ec, Links::Refuse);
    if (!file) {
        return ec;
    }
    unsigned char head[kDigestBytes];
    const auto size = static_cast<std::size_t>(
        std::min<std::int64_t>(file->Size(), static_cast<std::int64_t>(sizeof head)));
    if ((ec = file->ReadAt(0, head, size))) {
        return ec;
    }
    out.size = file->Size();
    out.digest = Fnv1a(head, size);
    return {};
}

std::vector<PackageRecord> ReadInstallRecords(FileSystem& files, const std::string& folder,
                                              std::error_code& ec) {
    ec.clear();
    std::unique_ptr<InputFile> file = files.Open(folder + kInstallRecordName, ec, Links::Refuse);
    if (!file) {
        if (ec == std::errc::no_such_file_or_directory) {
            ec.clear();
        }
        return {};
    }
    if (file->Size() > kMaxRecordSize) {
        ec = std::make_error_code(std::errc::file_too_large);
        return {};
    }
    std::string text(static_cast<std::size_t>(file->Size()), '\0');
    if ((ec = file->ReadAt(0, text.data(), text.size()))) {
        return {};
    }
    return ParseRecords(text, ec);
}

std::error_code WriteInstallRecords(FileSystem& files, const std::string& folder,
                                    const std::vector<PackageRecord>& records) {
    if (records.empty()) {
        std::error_code ec = files.Remove(folder + kInstallRecordName);
        return ec == std::errc::no_such_file_or_directory ? std::error_code() : ec;
    }
    std::string text = std::string(kHeading) + "\n";
    for (const PackageRecord& record : records) {
        text += "package " + ReplaceControls(record.title) + "\n";
        for (const RecordedFile& file : record.files) {
            text += "file " + std::to_string(file.size) + " " + Hex(file.digest) + " " +
                    ReplaceControls(file.name) + "\n";
        }
        for (const std::string& path : record.uses) {
            text += "uses " + ReplaceControls(path) + "\n";
        }
    }
    std::error_code ec;
    std::unique_ptr<StagedFile> staged = files.Stage(folder, 0644, ec);
    if (!staged) {
        return ec;
    }
    if ((ec = staged->Write(text.data(), text.size())) || (ec = staged->SetMode(0644)) ||
        (ec = staged->Flush())) {
        return ec;
    }
    return staged->Commit(folder + kInstallRecordName, Placement::Replace);
}

std::string RecordProblem(const std::error_code& ec) {
    if (ec == std::errc::illegal_byte_sequence) {
        return "it is damaged; move it away to start a new record";
    }
    if (ec == std::errc::file_too_large) {
        return "it is too large to be a record; move it away to start a new record";
    }
    if (ec == std::errc::invalid_argument || ec == std::errc::too_many_symbolic_link_levels ||
        ec == std::errc::is_a_directory) {
        return "it is not a plain file; move it away to start a new record";
    }
    return ec.message();
}

std::error_code RecordInstall(FileSystem& files, const std::string& folder,
                              const std::string& title, const RecordChange& change) {
    std::error_code ec;
    std::vector<PackageRecord> records = ReadInstallRecords(files, folder, ec);
    if (ec) {
        return ec;
    }
    const std::vector<PackageRecord> before = records;
    const std::string shownTitle = ReplaceControls(title);
    auto ours = std::find_if(records.begin(), records.end(), [&](const PackageRecord& record) {
        return record.title == shownTitle;
    });
    if (ours == records.end()) {
        records.push_back({shownTitle, {}, {}});
        ours = records.end() - 1;
    }
    // Names as the file system tells them apart, in sets: a run of thousands of fonts.
    const auto keys = [](const std::vector<std::string>& names) {
        std::unordered_set<std::string> out;
        for (const std::string& name : names) {
            out.insert(FileNameKey(name));
        }
        return out;
    };
    const std::unordered_set<std::string> dropped = keys(change.dropped);
    const std::unordered_set<std::string> replaced = keys(change.replaced);
    std::unordered_set<std::string> recordedAnywhere;
    for (const PackageRecord& record : records) {
        for (const RecordedFile& file : record.files) {
            recordedAnywhere.insert(FileNameKey(file.name));
        }
    }
    std::erase_if(ours->files, [&](const RecordedFile& file) {
        return dropped.count(FileNameKey(file.name)) != 0;
    });
    std::unordered_map<std::string, std::size_t> position; // of each of our files
    for (std::size_t i = 0; i < ours->files.size(); ++i) {
        position[FileNameKey(ours->files[i].name)] = i;
    }
    for (const RecordedFile& file : change.installed) {
        const std::string key = FileNameKey(file.name);
        if (replaced.count(key) != 0 && recordedAnywhere.count(key) == 0) {
            ours->uses.insert(ReplaceControls(folder + file.name));
        } else if (auto at = position.find(key); at != position.end()) {
            ours->files[at->second] = file;
        } else {
            position[key] = ours->files.size();
            ours->files.push_back(file);
        }
    }
    std::unordered_set<std::string> ownPaths;
    for (const RecordedFile& file : ours->files) {
        ownPaths.insert(FileNameKey(folder + file.name));
    }
    for (const std::string& path : change.present) {
        if (ownPaths.count(FileNameKey(path)) == 0) {
            ours->uses.insert(ReplaceControls(path));
        }
    }
    // A run that changed nothing writes nothing: a full or read-only folder is no failure
    // of a run that had nothing to do.
    return records == before ? std::error_code() : WriteInstallRecords(files, folder, records);
}

} // namespace kernova
