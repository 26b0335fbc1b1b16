#pragma once

#include <string>
#include <string_view>

namespace kernova {

class FileSystem;

// Package text as a text box holds it: decoded (see DecodeAnsiText), every line followed
// by CR LF. Lines end at CR LF, a lone LF or a lone CR; a last line without a line end
// still counts, an empty file gives the empty text. A UTF-8 byte-order mark is dropped.
std::string TextWithCrLf(std::string_view bytes);

// Reads the text file at `path` as above. Throws std::system_error when it is not a
// readable file.
std::string ReadTextWithCrLf(FileSystem& files, const std::string& path);

} // namespace kernova
