#pragma once

#include <cstddef>
#include <vector>

namespace kernova {

// A set of Unicode code points kept as sorted, disjoint, non-adjacent ranges: a font maps
// tens of thousands of them, mostly in long runs.
class CodePointSet {
  public:
    struct Range {
        char32_t first;
        char32_t last; // inclusive
    };

    CodePointSet() = default;
    // Any ranges, in any order, overlapping or not; a range with last < first is ignored.
    explicit CodePointSet(std::vector<Range> ranges);

    bool Contains(char32_t c) const;
    std::size_t Count() const;
    // How many of the code points from `first` to `last` are in the set.
    std::size_t CountIn(char32_t first, char32_t last) const;
    bool Empty() const { return ranges_.empty(); }
    const std::vector<Range>& Ranges() const { return ranges_; }

  private:
    std::vector<Range> ranges_;
};

} // namespace kernova
