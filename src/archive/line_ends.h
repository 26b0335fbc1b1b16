#pragma once

#include <string>
#include <string_view>

namespace kernova {

// Turns text into CR LF line ends piece by piece: a LF that does not follow a CR becomes
// CR LF; every other byte stays. Pieces may split a line end anywhere.
class CrLfConverter {
  public:
    // Appends the converted `piece` to `out`.
    void Convert(std::string_view piece, std::string& out);

  private:
    char previous_ = '\0';
};

} // namespace kernova
