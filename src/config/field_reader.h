#pragma once

#include "platform/file_system.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace kernova {

// Reads the descriptor's fields one at a time from the start of a file.
//
// A field ends at a comma or at the end of a line (CR LF, or a lone LF or CR). Leading
// spaces are skipped. A field that begins with a double quote runs to the next double
// quote, commas and line ends included; the quotes are not part of it. Where those rules
// are silent, the reader:
//  - keeps a double quote inside an unquoted field as an ordinary character;
//  - lets a quoted field that is never closed run to the end of the file;
//  - drops whatever follows a closing quote up to the comma or line end;
//  - keeps trailing spaces as part of an unquoted field.
// A field of more than kMaxFieldBytes bytes (spaces and quotes counted) is refused: no
// descriptor holds one, and the limit bounds the memory and time any file can cost.
class FieldReader {
  public:
    static constexpr std::size_t kMaxFieldBytes = 64 * 1024;

    explicit FieldReader(InputFile& file) : file_(file) {}

    // The next field; nothing when asked at the end of the file, after a read error, or
    // for a field over the limit.
    std::optional<std::string> Next();

    // True once the whole file has been read (or reading failed).
    bool AtEnd() { return Peek() < 0; }

  private:
    // The next byte without taking it, or -1 at the end of the file or on a read error.
    int Peek();
    void Advance() { ++position_; }

    InputFile& file_;
    std::int64_t offset_ = 0; // of the next read
    std::array<unsigned char, 16 * 1024> buffer_{};
    std::size_t position_ = 0;
    std::size_t length_ = 0;
    bool finished_ = false;
    bool failed_ = false;
};

} // namespace kernova
