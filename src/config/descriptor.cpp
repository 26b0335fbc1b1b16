#include "config/descriptor.h"

#include "archive/text_routines.h"
#include "config/field_reader.h"
#include "platform/file_system.h"

#include <new>
#include <string_view>

namespace kernova {

std::string DescriptorPath;

namespace {

// At most this many fields of the file are looked at; a tag further on is not found.
constexpr int kFieldsExamined = 65;

// Where `marker` first occurs in `field`, compared without regard to letter case.
std::size_t FindIgnoringCase(std::string_view field, std::string_view marker) {
    for (std::size_t at = 0; at + marker.size() <= field.size(); ++at) {
        if (EqualsIgnoringCase(field.substr(at, marker.size()), marker)) {
            return at;
        }
    }
    return std::string_view::npos;
}

// The value of the tag, or the empty text when it is absent or the file is unusable.
std::string FindTagValue(FileSystem& files, const std::string& tagName, const std::string& path) {
    std::error_code ec;
    std::unique_ptr<InputFile> file = path.empty() ? nullptr : files.Open(path, ec);
    if (!file) {
        return {};
    }
    FieldReader reader(*file);
    const std::string marker = "<" + tagName + ">";
    for (int n = 0; n < kFieldsExamined; ++n) {
        std::optional<std::string> field = reader.Next();
        if (!field) {
            return {};
        }
        const std::size_t at = FindIgnoringCase(*field, marker);
        if (at != std::string_view::npos) {
            // The value keeps its own case and every space; any closing marker ends it.
            const std::string_view rest = std::string_view(*field).substr(at + marker.size());
            const std::size_t close = rest.find("</");
            return close == std::string_view::npos ? std::string()
                                                   : std::string(rest.substr(0, close));
        }
        if (reader.AtEnd()) {
            break;
        }
    }
    return {};
}

} // namespace

std::string ReadTag(FileSystem& files, const std::string& tagName, const std::string& filePath,
                    const std::string& defaultValue) {
    try {
        std::string value =
            FindTagValue(files, tagName, filePath.empty() ? DescriptorPath : filePath);
        return value.empty() ? defaultValue : value;
    } catch (const std::bad_alloc&) {
        // Out of memory is one more reason the file cannot be read: the caller's default.
        return defaultValue;
    }
}

} // namespace kernova
