#pragma once

#include "platform/posix/posix_file_system.h"

namespace kernova::pack {

// While it lives, a signal that would end the process (HUP, INT, QUIT, TERM, USR1, USR2,
// ALRM, XCPU, XFSZ, VTALRM, PROF) ends kernova-pack with status 128 + the signal's number
// instead, after deleting the output's staged file where that has a name (an unnamed one
// goes with the process). A signal ignored at the start (nohup) stays ignored. One at a
// time; the signals' previous handling comes back when it goes away.
class InterruptionExit {
  public:
    InterruptionExit();
    ~InterruptionExit();
    InterruptionExit(const InterruptionExit&) = delete;
    InterruptionExit& operator=(const InterruptionExit&) = delete;
};

// The POSIX file operations, with the staged file (one at a time) made known to
// InterruptionExit. A signal waits while the staged file is created and committed, so it
// never comes between a name being given and that name being known.
class InterruptibleFileSystem : public posix::PosixFileSystem {
  public:
    std::unique_ptr<StagedFile> Stage(const std::string& folder, unsigned mode,
                                      std::error_code& ec) override;
};

} // namespace kernova::pack
