#include "app/text_file.h"

#include "app/text_decoding.h"

#include "platform/file_system.h"

#include <system_error>

namespace kernova {

std::string TextWithCrLf(std::string_view bytes) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.substr(0, kBom.size()) == kBom) {
        bytes.remove_prefix(kBom.size());
    }
    const std::string text = DecodeAnsiText(bytes);
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 2);
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            out.append(text, start, std::string::npos);
            out += "\r\n";
            break;
        }
        out.append(text, start, end - start);
        out += "\r\n";
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
    return out;
}

std::string ReadTextWithCrLf(FileSystem& files, const std::string& path) {
    std::error_code ec;
    std::unique_ptr<InputFile> file = files.Open(path, ec);
    if (!file) {
        throw std::system_error(ec, path);
    }
    std::string bytes(static_cast<std::size_t>(file->Size()), '\0');
    if ((ec = file->ReadAt(0, bytes.data(), bytes.size()))) {
        throw std::system_error(ec, path);
    }
    return TextWithCrLf(bytes);
}

} // namespace kernova
