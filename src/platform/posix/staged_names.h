#pragma once

#include <string>

namespace kernova::posix {

// The names of hidden staged files that exist now, kept where a termination signal's
// handler can read them: a fixed table, written only outside the handler, each entry
// claimed and given back through atomics. Unnamed staged files need no entry.
class RememberedStagedName {
  public:
    RememberedStagedName() = default;
    // Claims an entry for `path` before the file is made, so that no moment of the file's
    // life is unknown to the handler; held() is false when the table is full or the path
    // too long.
    explicit RememberedStagedName(const std::string& path) noexcept;
    ~RememberedStagedName() { Forget(); }
    RememberedStagedName(RememberedStagedName&& other) noexcept : slot_(other.slot_) {
        other.slot_ = -1;
    }
    RememberedStagedName& operator=(RememberedStagedName&& other) noexcept;

    bool held() const { return slot_ >= 0; }
    // Once the name is gone (renamed or deleted), the entry is given back.
    void Forget() noexcept;

  private:
    int slot_ = -1;
};

// Deletes every remembered name. Only async-signal-safe calls: for a signal handler.
void RemoveRememberedStagedNames() noexcept;

} // namespace kernova::posix
