#pragma once

#include <memory>
#include <string>

namespace kernova {

// While it lives, the watched folder is removed when the process is told to stop (a
// signal, a console's close or log-off event) before the process ends.
class TerminationWatch {
  public:
    virtual ~TerminationWatch() = default;
};

// The running process's place in the system.
class Process {
  public:
    virtual ~Process() = default;

    // The user's temporary folder, never empty.
    virtual std::string GetTempFolder() = 0;

    // Watches `folder` (which exists) from now on. Throws std::system_error when it cannot.
    virtual std::unique_ptr<TerminationWatch> RemoveOnTermination(const std::string& folder) = 0;
};

} // namespace kernova
