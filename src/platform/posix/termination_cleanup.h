#pragma once

#include "platform/process.h"

#include <string>

namespace kernova::posix {

// Removes the private extraction folder and every hidden staged file (staged_names.h)
// when a signal that would end the process arrives (HUP, INT, QUIT, TERM, USR1, USR2,
// ALRM, XCPU, XFSZ, VTALRM, PROF, PIPE) and then exits with status 128 + the signal's
// number. Everything the signal handler needs is prepared when the folder is armed; the
// handler itself only makes async-signal-safe system calls. One object at a time; the
// signals' previous handling comes back when it goes away. A signal the process ignores
// stays ignored (the installer ignores SIGPIPE).
class TerminationCleanup : public TerminationWatch {
  public:
    TerminationCleanup() = default;
    ~TerminationCleanup() override;
    TerminationCleanup(const TerminationCleanup&) = delete;
    TerminationCleanup& operator=(const TerminationCleanup&) = delete;

    // Watches `folder` (which exists; empty: no folder, only the hidden staged files, as
    // the packer wants) from now on. Throws std::system_error when the folder cannot be
    // opened or another TerminationCleanup is armed.
    void Arm(const std::string& folder);

    // Stops watching and restores the signals' previous handling.
    void Disarm() noexcept;

    bool armed() const { return armed_; }

  private:
    bool armed_ = false;
};

} // namespace kernova::posix
