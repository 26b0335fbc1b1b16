#pragma once

#include <stdexcept>
#include <string>

namespace kernova {

// The one failure kind of package reading: package loading turns it into the
// corrupt-package message. `what()` says what was wrong, for tools and logs.
class CorruptPackage : public std::runtime_error {
  public:
    explicit CorruptPackage(const std::string& why) : std::runtime_error(why) {}
};

} // namespace kernova
