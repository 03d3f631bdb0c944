// Tile colours, a bin look-up per cell as in the palette writer.
#include "tiles/tile_colours.h"

#include "image/level_mapping.h"

#include <algorithm>
#include <cstring>

namespace gridlib::tiles {

TileColours::TileColours(float lower, float upper, std::int32_t mapping_mode,
                         std::span<const std::int32_t> level_table, std::int32_t colour_count,
                         ConstColourTableView colour_table)
    : bins_(lower, upper) {
    const BinLevels levels = bin_levels(Mapping::from_mode(mapping_mode), level_table);
    for (std::size_t k = 0; k < kLevels; ++k) {
        const Rgb8 c = colour_table.get(palette_index(levels[k], colour_count));
        // The palette image stores the low byte of each table value.
        colour_[k] = {static_cast<std::uint8_t>(c.red), static_cast<std::uint8_t>(c.green),
                      static_cast<std::uint8_t>(c.blue), 255};
    }
    colour_[kLevels] = {0, 0, 0, 0};
}

void TileColours::paint(std::span<const float> values, std::uint8_t* rgba) const {
    constexpr std::size_t kRun = 1024;
    std::int32_t bins[kRun];
    for (std::size_t at = 0; at < values.size(); at += kRun) {
        const std::size_t n = std::min(kRun, values.size() - at);
        bins_.zero_based_bins(values.subspan(at, n), bins);
        for (std::size_t i = 0; i < n; ++i)
            std::memcpy(rgba + 4 * (at + i), colour_[static_cast<std::size_t>(bins[i])].data(), 4);
    }
}

}  // namespace gridlib::tiles
