// Bin levels and palette indices.
#include "image/level_mapping.h"

#include <algorithm>

namespace gridlib {

BinLevels bin_levels(Mapping mapping, std::span<const std::int32_t> level_table) {
    constexpr auto last = static_cast<std::int32_t>(kLevels);
    BinLevels out;
    for (std::int32_t k = 1; k <= last; ++k) {
        std::int32_t level = k;
        if (mapping.through_levels) level = std::clamp(level_table[static_cast<std::size_t>(k - 1)], 1, last);
        if (mapping.inverted) level = last + 1 - level;
        out[static_cast<std::size_t>(k - 1)] = level;
    }
    return out;
}

std::uint8_t palette_index(std::int32_t level, std::int32_t colour_count) {
    // (level - 1) / 4096 * (count - 2) is exact in float for every level
    // and count, so the truncation never depends on rounding.
    const float spread = static_cast<float>(level - 1) / static_cast<float>(kLevels) *
                         static_cast<float>(colour_count - 2);
    std::int32_t index = static_cast<std::int32_t>(spread) + 2;
    index = std::min(index, colour_count - 1);
    return static_cast<std::uint8_t>(std::clamp(index, 0, 255));
}

}  // namespace gridlib
