#include "app/text_file.h"

#include "app/text_decoding.h"

#include "platform/file_system.h"

#include <algorithm>
#include <cstdint>
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

std::string ReadTextWithCrLf(FileSystem& files, const std::string& path, std::size_t limit) {
    std::error_code ec;
    std::unique_ptr<InputFile> file = files.Open(path, ec);
    if (!file) {
        throw std::system_error(ec, path);
    }
    const auto size = static_cast<std::uint64_t>(file->Size());
    std::string bytes(static_cast<std::size_t>(std::min<std::uint64_t>(size, limit)), '\0');
    if ((ec = file->ReadAt(0, bytes.data(), bytes.size()))) {
        throw std::system_error(ec, path);
    }
    if (bytes.size() == size) {
        return TextWithCrLf(bytes);
    }
    // Cut after a whole line where there is one, so no character is split.
    const std::size_t lineEnd = bytes.find_last_of("\r\n");
    if (lineEnd != std::string::npos) {
        bytes.resize(lineEnd + 1);
    }
    return TextWithCrLf(bytes) + "\r\n[" + std::to_string(size - bytes.size()) +
           " more bytes of this text are not shown.]\r\n";
}

} // namespace kernova
