#pragma once

#include "platform/process.h"

namespace kernova::win32 {

// The temporary folder and the clean-up on a console's stop events.
class Win32Process : public Process {
  public:
    // The system's temporary folder (GetTempPathW), without its trailing separator; the
    // Windows folder's Temp when the system names none.
    std::string GetTempFolder() override;
    std::unique_ptr<TerminationWatch> RemoveOnTermination(const std::string& folder) override;
};

} // namespace kernova::win32
