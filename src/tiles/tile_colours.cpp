// Tile indices and the palette they index.
#include "tiles/tile_colours.h"

namespace gridlib::tiles {

TileColours::TileColours(float lower, float upper, std::int32_t mapping_mode,
                         std::span<const std::int32_t> level_table, std::int32_t colour_count,
                         ConstColourTableView colour_table)
    : indices_(Bins(lower, upper), Mapping::from_mode(mapping_mode), level_table, colour_count) {
    for (std::int32_t e = 0; e < colour_count; ++e) {
        const Rgb8 c = colour_table.get(static_cast<std::size_t>(e));
        palette_.push_back({static_cast<std::uint8_t>(c.red), static_cast<std::uint8_t>(c.green),
                            static_cast<std::uint8_t>(c.blue)});
    }
}

}  // namespace gridlib::tiles
