#include "platform/posix/staged_names.h"

#include <atomic>
#include <climits>
#include <cstring>
#include <unistd.h>

namespace kernova::posix {
namespace {

// A font group in flight (256 files), a file being extracted and a commit's passing name,
// with room to spare.
constexpr int kSlots = 320;

enum State : int { kFree, kFilling, kHeld, kRemoving };

struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};

// Process-wide, as signal handling is: a handler cannot be given anything else.
Slot slots[kSlots];

} // namespace

RememberedStagedName::RememberedStagedName(const std::string& path) noexcept {
    if (path.size() >= PATH_MAX) {
        return;
    }
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (slots[i].state.compare_exchange_strong(expected, kFilling)) {
            std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
            slots[i].state.store(kHeld, std::memory_order_release);
            slot_ = i;
            return;
        }
    }
}

RememberedStagedName& RememberedStagedName::operator=(RememberedStagedName&& other) noexcept {
    if (this != &other) {
        Forget();
        slot_ = other.slot_;
        other.slot_ = -1;
    }
    return *this;
}

void RememberedStagedName::Forget() noexcept {
    if (slot_ < 0) {
        return;
    }
    int expected = kHeld;
    // A handler that has taken the entry ends the process; the entry stays its own.
    (void)slots[slot_].state.compare_exchange_strong(expected, kFree);
    slot_ = -1;
}

void RemoveRememberedStagedNames() noexcept {
    for (Slot& slot : slots) {
        int expected = kHeld;
        // Taken first, so that no thread refills the path while it is being read.
        if (slot.state.compare_exchange_strong(expected, kRemoving, std::memory_order_acquire)) {
            ::unlink(slot.path);
        }
    }
}

} // namespace kernova::posix
