#pragma once

#include <cstdint>

namespace kernova::layout {

// The package archive appended to the installer, read backwards from the end of the file:
// entry records (data, name field, size field), then the trailer (count field, tab block,
// line end).
inline constexpr std::int64_t kNameField = 40;    // CR-padded on the left
inline constexpr std::int64_t kSizeField = 10;    // ten decimal digits, leading zeros
inline constexpr std::int64_t kRecordFields = 50; // name field + size field
inline constexpr std::int64_t kCountField = 5;    // CR-padded on the left
inline constexpr std::int64_t kTabBlock = 512;
inline constexpr std::int64_t kLineEnd = 2;                                  // CR LF
inline constexpr std::int64_t kTrailer = kCountField + kTabBlock + kLineEnd; // 519

// Offsets from the end of the file (L - offset), 0-based, of the first byte of each field
// of the entry nearest the trailer; `pos` (0 or negative) moves them to earlier entries.
inline constexpr std::int64_t kCountFromEnd = kTrailer;                // 519
inline constexpr std::int64_t kSizeFromEnd = kTrailer + kSizeField;    // 529
inline constexpr std::int64_t kNameFromEnd = kTrailer + kRecordFields; // 569

inline constexpr int kMaxEntries = 32767;
// Every position is a signed 32-bit value: the whole installer stays below 2 GiB.
inline constexpr std::int64_t kMaxFileSize = INT32_MAX;

} // namespace kernova::layout
