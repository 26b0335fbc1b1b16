#include "ui/controls.h"

#include <algorithm>

namespace kernova {
namespace {

// ASCII folding only: the order must not change with the process locale.
unsigned char Fold(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

// Case-insensitive order of the platform's sorted list; equal items keep the order in
// which they were added.
bool LessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](unsigned char x, unsigned char y) { return Fold(x) < Fold(y); });
}

} // namespace

void StringList::AddItem(const std::string& item) {
    if (!sorted_) {
        items_.push_back(item);
        return;
    }
    auto at = std::upper_bound(items_.begin(), items_.end(), item, LessNoCase);
    items_.insert(at, item);
}

} // namespace kernova
