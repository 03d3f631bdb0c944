// The palette index of every value in a tile: the palette image's index of
// its bin (the same limits, mapping mode and level table) and index 0,
// transparent, for null cells, so that a tile shows what the PNG image of
// the whole grid shows at its place; the palette is the colour table's.
#pragma once

#include "colour/colour_table.h"
#include "image/palette_indices.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace gridlib::tiles {

class TileColours {
public:
    // As the palette writer takes them: limits lower < upper, the mode
    // (+-1 linear, +-2 through the level table, which then holds kLevels
    // entries), colour_count 1..256 entries of the colour table.
    TileColours(float lower, float upper, std::int32_t mapping_mode, std::span<const std::int32_t> level_table,
                std::int32_t colour_count, ConstColourTableView colour_table);

    // One index for each value.
    void paint(std::span<const float> values, std::uint8_t* indices) const { indices_.indices(values, indices); }
    // The colour_count entries, red, green and blue (the low byte of each
    // table value, as the palette image stores them).
    std::span<const std::array<std::uint8_t, 3>> palette() const { return palette_; }

private:
    PaletteIndices indices_;
    std::vector<std::array<std::uint8_t, 3>> palette_;
};

}  // namespace gridlib::tiles
