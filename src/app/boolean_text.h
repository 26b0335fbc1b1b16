#pragma once

#include <string_view>

namespace kernova {

// A text as a Boolean: "True" or "False" in any letter case, or a decimal number (zero is
// false, any other number true); spaces around it do not matter. Throws
// std::invalid_argument for any other text.
bool TextToBoolean(std::string_view text);

} // namespace kernova
