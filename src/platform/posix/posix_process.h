#pragma once

#include "platform/process.h"

namespace kernova::posix {

// The process on a POSIX system: $TMPDIR (else /tmp), and clean-up on termination signals.
class PosixProcess : public Process {
  public:
    std::string GetTempFolder() override;
    std::unique_ptr<TerminationWatch> RemoveOnTermination(const std::string& folder) override;
};

} // namespace kernova::posix
