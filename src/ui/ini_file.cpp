#include "ui/ini_file.h"

#include "archive/text_routines.h"
#include "platform/file_system.h"
#include "platform/path.h"

#include <optional>
#include <vector>

namespace kernova {
namespace {

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
    return lines;
}

std::string_view TrimBlanks(std::string_view s) {
    return Trim(s, " \t");
}

// The name of a "[name]" line, or nothing when the line is not a section header.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    const size_t close = line.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return TrimBlanks(line.substr(1, close - 1));
}

std::string_view KeyName(std::string_view line) {
    return TrimBlanks(line.substr(0, line.find('=')));
}

bool BreaksLines(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// The file's current contents; empty when there is none (or only a link: the link is
// replaced, and what it points at is never read into the new file).
std::error_code ReadExisting(FileSystem& files, const std::string& path, std::string& text,
                             std::optional<unsigned>& mode) {
    std::error_code ec;
    std::unique_ptr<InputFile> file = files.Open(path, ec, Links::Refuse);
    if (ec == std::errc::no_such_file_or_directory ||
        ec == std::errc::too_many_symbolic_link_levels) {
        return {};
    }
    if (!file) {
        return ec;
    }
    mode = file->Mode();
    text.resize(static_cast<std::size_t>(file->Size()));
    return file->ReadAt(0, text.data(), text.size());
}

} // namespace

std::string SetIniKey(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value) {
    const std::vector<std::string_view> lines = SplitLines(text);
    const std::string entry = std::string(key) + "=" + std::string(value);

    // Where the section starts and where the line to write goes.
    std::optional<size_t> sectionLine;
    std::optional<size_t> replaceAt;
    size_t insertAt = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::optional<std::string_view> name = SectionName(lines[i]);
        if (!sectionLine) {
            if (name && EqualsIgnoringCase(*name, section)) {
                sectionLine = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (name) {
            break; // the next section
        }
        if (TrimBlanks(lines[i]).empty()) {
            continue; // blank lines before the next section stay there
        }
        if (EqualsIgnoringCase(KeyName(lines[i]), key)) {
            replaceAt = i;
            break;
        }
        insertAt = i + 1;
    }

    std::string out;
    out.reserve(text.size() + entry.size() + section.size() + 8);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (sectionLine && !replaceAt && i == insertAt) {
            out += entry + "\r\n";
        }
        out += (replaceAt && i == *replaceAt) ? entry : std::string(lines[i]);
        out += "\r\n";
    }
    if (!sectionLine) {
        out += '[';
        out += section;
        out += "]\r\n";
        out += entry;
        out += "\r\n";
    } else if (!replaceAt && insertAt == lines.size()) {
        out += entry + "\r\n";
    }
    return out;
}

std::error_code WriteIniFile(FileSystem& files, std::string_view section, std::string_view key,
                             std::string_view value, const std::string& path) {
    if (section.empty() || key.empty() || BreaksLines(section) || BreaksLines(key) ||
        BreaksLines(value) || section.find(']') != std::string_view::npos ||
        key.find('=') != std::string_view::npos) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    const std::string folder = FolderOf(path).empty() ? "." : FolderOf(path);

    std::string text;
    std::optional<unsigned> oldMode;
    if (std::error_code ec = ReadExisting(files, path, text, oldMode)) {
        return ec;
    }
    const std::string updated = SetIniKey(text, section, key, value);

    // A replaced file keeps its permissions; a new one is readable by everyone, whatever
    // the file-creation mask.
    std::error_code ec;
    std::unique_ptr<StagedFile> staged = files.Stage(folder, 0644, ec);
    if (!staged) {
        return ec ? ec : std::make_error_code(std::errc::io_error);
    }
    if ((ec = staged->SetMode(oldMode.value_or(0644)))) {
        return ec;
    }
    if ((ec = staged->Write(updated.data(), updated.size())) || (ec = staged->Flush())) {
        return ec;
    }
    return staged->Commit(path, Placement::Replace);
}

} // namespace kernova
