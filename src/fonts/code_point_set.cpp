#include "fonts/code_point_set.h"

#include <algorithm>

namespace kernova {

CodePointSet::CodePointSet(std::vector<Range> ranges) {
    std::erase_if(ranges, [](const Range& range) { return range.last < range.first; });
    std::sort(ranges.begin(), ranges.end(),
              [](const Range& a, const Range& b) { return a.first < b.first; });
    for (const Range& range : ranges) {
        if (!ranges_.empty() && range.first <= ranges_.back().last + 1) {
            ranges_.back().last = std::max(ranges_.back().last, range.last);
        } else {
            ranges_.push_back(range);
        }
    }
}

bool CodePointSet::Contains(char32_t c) const {
    return CountIn(c, c) == 1;
}

std::size_t CodePointSet::Count() const {
    std::size_t count = 0;
    for (const Range& range : ranges_) {
        count += range.last - range.first + 1;
    }
    return count;
}

std::size_t CodePointSet::CountIn(char32_t first, char32_t last) const {
    // The first range that ends at or after `first`; ranges are sorted and disjoint.
    auto at = std::lower_bound(ranges_.begin(), ranges_.end(), first,
                               [](const Range& range, char32_t c) { return range.last < c; });
    std::size_t count = 0;
    for (; at != ranges_.end() && at->first <= last; ++at) {
        count += std::min(at->last, last) - std::max(at->first, first) + 1;
    }
    return count;
}

} // namespace kernova
