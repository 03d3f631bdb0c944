// The columns (or rows) a map window keeps: a first and last 1-based index
// and a step between them.
#pragma once

#include <cstdint>
#include <optional>

namespace gridlib::rows {

// Kept indices first, first + step, ..., last (1-based; index 1 is the
// western column or the southern row). last - first is a multiple of step.
struct IndexRange {
    std::int32_t first = 1;
    std::int32_t last = 1;
    std::int32_t step = 1;

    std::int32_t count() const { return (last - first) / step + 1; }
    bool keeps(std::int64_t index) const {
        return index >= first && index <= last && (index - first) % step == 0;
    }
    // 1-based position of a kept index among the kept ones.
    std::int32_t position(std::int64_t index) const { return static_cast<std::int32_t>((index - first) / step + 1); }
};

// The indices of n cells whose first lies at origin and whose last at far,
// spacing apart, that fall inside [low, high]. Empty when the window keeps no
// cell or the step is below 1.
std::optional<IndexRange> index_range(float origin, float far, float spacing, std::int32_t n, float low,
                                      float high, std::int32_t step);

}  // namespace gridlib::rows
