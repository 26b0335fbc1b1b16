#pragma once

#include <string>

namespace kernova::pack {

struct DescriptorValues {
    std::string title;
    std::string url;
    std::string urlName;
    bool readme = false;
    bool license = false;
    bool addFavorites = false;
    bool preview = false;
};

// Throws std::runtime_error naming `option` when `value` holds something the installer's
// tag reader would read differently from what was given (a field or value end, another
// key's opening marker).
void CheckDescriptorValue(const std::string& option, const std::string& value);

// kernova.xml in the usual layout, one tag per line, CR LF line ends.
std::string DescriptorText(const DescriptorValues& values);

} // namespace kernova::pack
