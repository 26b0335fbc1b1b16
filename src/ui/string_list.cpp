#include "archive/text_routines.h"
#include "ui/controls.h"

#include <algorithm>

namespace kernova {

void StringList::AddItem(const std::string& item) {
    if (!sorted_) {
        items_.push_back(item);
        return;
    }
    // Equal items keep the order in which they were added.
    auto at = std::upper_bound(
        items_.begin(), items_.end(), item,
        [](const std::string& a, const std::string& b) { return LessIgnoringCase(a, b); });
    items_.insert(at, item);
}

} // namespace kernova
