// The colour of every value in a tile: the palette image's colour of its
// bin (the same limits, mapping mode, level table and colour table), fully
// opaque, and transparent for null cells and beyond the grid's edges, so
// that a tile shows what the PNG image of the whole grid shows at its place.
#pragma once

#include "colour/binning.h"
#include "colour/colour_table.h"

#include <array>
#include <cstdint>
#include <span>

namespace gridlib::tiles {

class TileColours {
public:
    // As the palette writer takes them: limits lower < upper, the mode
    // (+-1 linear, +-2 through the level table, which then holds kLevels
    // entries), colour_count 1..256 entries of the colour table.
    TileColours(float lower, float upper, std::int32_t mapping_mode, std::span<const std::int32_t> level_table,
                std::int32_t colour_count, ConstColourTableView colour_table);

    // Four bytes, red, green, blue and alpha, for each value.
    void paint(std::span<const float> values, std::uint8_t* rgba) const;

private:
    Bins bins_;
    // A colour for each bin, and the last one (transparent) for null cells;
    // the bytes in memory order.
    std::array<std::array<std::uint8_t, 4>, kLevels + 1> colour_{};
};

}  // namespace gridlib::tiles
