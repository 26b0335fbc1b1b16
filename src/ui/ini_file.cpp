#include "ui/ini_file.h"

#include "archive/file_handle.h"
#include "archive/staged_file.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
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
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
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
std::error_code ReadExisting(const std::string& path, std::string& text,
                             std::optional<mode_t>& mode) {
    std::error_code ec;
    FileHandle file = FileHandle::Open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK, ec);
    if (ec == std::errc::no_such_file_or_directory ||
        ec == std::errc::too_many_symbolic_link_levels) {
        return {};
    }
    if (ec) {
        return ec;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        return {errno, std::generic_category()};
    }
    if (!S_ISREG(info.st_mode)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    mode = info.st_mode & 07777;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n == 0) {
            break;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return {errno, std::generic_category()};
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    return {};
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
            if (name && EqualsNoCase(*name, section)) {
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
        if (EqualsNoCase(KeyName(lines[i]), key)) {
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

std::error_code WriteIniFile(std::string_view section, std::string_view key, std::string_view value,
                             const std::string& path) {
    if (section.empty() || key.empty() || BreaksLines(section) || BreaksLines(key) ||
        BreaksLines(value) || section.find(']') != std::string_view::npos ||
        key.find('=') != std::string_view::npos) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);

    std::string text;
    std::optional<mode_t> oldMode;
    if (std::error_code ec = ReadExisting(path, text, oldMode)) {
        return ec;
    }
    const std::string updated = SetIniKey(text, section, key, value);

    // A new file gets what the umask allows; a replaced one keeps its permissions.
    std::error_code ec;
    StagedFile staged(folder, 0666, ec);
    if (!staged.valid()) {
        return ec ? ec : std::make_error_code(std::errc::io_error);
    }
    if (oldMode && ::fchmod(staged.fd(), *oldMode) != 0) {
        return {errno, std::generic_category()};
    }
    ec = WriteAll(staged.fd(), updated.data(), updated.size());
    if (ec) {
        return ec;
    }
    if (::fdatasync(staged.fd()) != 0) {
        return {errno, std::generic_category()};
    }
    return staged.Commit(path);
}

} // namespace kernova
