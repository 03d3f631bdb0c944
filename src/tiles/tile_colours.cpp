// Tile indices, a bin look-up per cell as in the palette writer.
#include "tiles/tile_colours.h"

#include "image/level_mapping.h"

#include <algorithm>

namespace gridlib::tiles {

TileColours::TileColours(float lower, float upper, std::int32_t mapping_mode,
                         std::span<const std::int32_t> level_table, std::int32_t colour_count,
                         ConstColourTableView colour_table)
    : bins_(lower, upper) {
    const BinLevels levels = bin_levels(Mapping::from_mode(mapping_mode), level_table);
    for (std::size_t k = 0; k < kLevels; ++k) index_[k] = palette_index(levels[k], colour_count);
    index_[kLevels] = 0;
    for (std::int32_t e = 0; e < colour_count; ++e) {
        const Rgb8 c = colour_table.get(static_cast<std::size_t>(e));
        palette_.push_back({static_cast<std::uint8_t>(c.red), static_cast<std::uint8_t>(c.green),
                            static_cast<std::uint8_t>(c.blue)});
    }
}

void TileColours::paint(std::span<const float> values, std::uint8_t* indices) const {
    constexpr std::size_t kRun = 1024;
    std::int32_t bins[kRun];
    for (std::size_t at = 0; at < values.size(); at += kRun) {
        const std::size_t n = std::min(kRun, values.size() - at);
        bins_.zero_based_bins(values.subspan(at, n), bins);
        for (std::size_t i = 0; i < n; ++i) indices[at + i] = index_[static_cast<std::size_t>(bins[i])];
    }
}

}  // namespace gridlib::tiles
