#pragma once

#include <chrono>
#include <string>

namespace kernova::posix {

// Staged files of this naming younger than this are left alone even when unlocked: a
// writer holds no lock for the moment between making the file and locking it, nor between
// closing it and renaming it into place.
inline constexpr std::chrono::seconds kStaleStagedAge{120};

// Deletes the hidden staged files (".kernova-<random>.part") in `folder` that a run ended
// by SIGKILL (or a power cut) left: regular files of this user that no writer holds locked
// and that have not changed for `age`. Anything else, and any failure, is left as it is.
void RemoveStaleStagedFiles(const std::string& folder,
                            std::chrono::seconds age = kStaleStagedAge) noexcept;

} // namespace kernova::posix
