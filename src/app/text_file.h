#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kernova {

class FileSystem;

// Package text as a text box holds it: decoded (see DecodeAnsiText), every line followed
// by CR LF. Lines end at CR LF, a lone LF or a lone CR; a last line without a line end
// still counts, an empty file gives the empty text. A UTF-8 byte-order mark is dropped.
std::string TextWithCrLf(std::string_view bytes);

// The most of a text file a page shows: a licence of hundreds of megabytes must not cost
// gigabytes, nor minutes to lay out.
inline constexpr std::size_t kShownTextLimit = 1024 * 1024;

// Reads the text file at `path` as above, at most its first `limit` bytes (cut after the
// last line end within them); a text cut short ends with a line saying so. Throws
// std::system_error when it is not a readable file.
std::string ReadTextWithCrLf(FileSystem& files, const std::string& path,
                             std::size_t limit = kShownTextLimit);

} // namespace kernova
