#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kernova::pack {

// A command line kernova-pack cannot make sense of.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct PackOptions {
    bool help = false;
    std::optional<std::string> list; // --list INSTALLER

    std::string output;
    std::optional<std::string> stub;
    std::optional<std::string> title;
    std::optional<std::string> url;
    std::optional<std::string> urlName;
    bool addFavorites = false;
    bool preview = false;
    std::optional<std::string> license;
    std::optional<std::string> readme;
    std::optional<std::string> side;
    std::optional<std::string> top;
    std::vector<std::string> inputs; // fonts, and perhaps a kernova.xml of the vendor's own
};

// Parses the arguments after the program name. Throws UsageError.
PackOptions ParseCommandLine(const std::vector<std::string>& arguments);

// The text --help prints.
std::string UsageText();

} // namespace kernova::pack
