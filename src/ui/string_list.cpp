#include "archive/text_routines.h"
#include "ui/controls.h"

#include <algorithm>

namespace kernova {

void StringList::AddItem(const std::string& item) {
    items_.push_back(item);
    unordered_ = sorted_;
}

const std::vector<std::string>& StringList::items() const {
    if (unordered_) {
        // Equal items keep the order in which they were added.
        std::stable_sort(
            items_.begin(), items_.end(),
            [](const std::string& a, const std::string& b) { return LessIgnoringCase(a, b); });
        unordered_ = false;
    }
    return items_;
}

} // namespace kernova
