#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

namespace kernova {

// A failure of the machine the package is read or written on (the installer file cannot be
// read, the temporary folder is missing, read-only or full), never of the package's bytes:
// it ends the run with its own message and status, not the corrupt-package one. `what()`
// names the cause and the file.
class EnvironmentFault : public std::runtime_error {
  public:
    explicit EnvironmentFault(const std::string& why) : std::runtime_error(why) {}
};

// The installer's own file could not be opened or read.
inline EnvironmentFault UnreadableInstaller(const std::string& file, const std::error_code& ec) {
    return EnvironmentFault("cannot read the installer file " + file + ": " + ec.message());
}

} // namespace kernova
