#include "app/text_file.h"

#include "app/text_decoding.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
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

std::string ReadTextWithCrLf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        throw std::system_error(errno, std::generic_category(), path);
    }
    if (!S_ISREG(info.st_mode)) {
        throw std::system_error(std::make_error_code(std::errc::invalid_argument), path);
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::system_error(errno != 0 ? errno : EIO, std::generic_category(), path);
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        throw std::system_error(std::make_error_code(std::errc::io_error), path);
    }
    return TextWithCrLf(bytes);
}

} // namespace kernova
