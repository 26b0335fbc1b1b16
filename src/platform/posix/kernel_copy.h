#pragma once

#include <cstdint>
#include <functional>
#include <system_error>

namespace kernova::posix {

// Copies `length` bytes starting at `offset` of `from` to the current position of `to`,
// in the kernel where it can (copy_file_range, then sendfile) and through one bounded
// buffer otherwise, so memory use never depends on `length`. `between` (may be empty) is
// called after each chunk of a long copy. A source that ends early is an error.
std::error_code CopyBytes(int from, std::int64_t offset, int to, std::int64_t length,
                          const std::function<void()>& between = {});

} // namespace kernova::posix
