// From a cell's bin to its colour: the level table of an equalised mapping,
// the inversion of the colour order, and the palette index of a level. The
// image writers precompute these per bin once per image, so the per-cell
// work is a bin look-up.
#pragma once

#include "colour/colour_table.h"

#include <array>
#include <cstdint>
#include <span>

namespace gridlib {

// The mapping mode of the image writers: 1 linear, 2 through the level
// table, negative = the same with the colour order inverted.
struct Mapping {
    bool through_levels = false;
    bool inverted = false;
    static Mapping from_mode(std::int32_t mode) {
        return {mode == GRIDLIB_MAPPING_THROUGH_LEVELS || mode == -GRIDLIB_MAPPING_THROUGH_LEVELS, mode < 0};
    }
};

using BinLevels = std::array<std::int32_t, kLevels>;

// The colour level 1..kLevels of every bin (entry k - 1 for bin k). Levels
// from the table are clamped to 1..kLevels before the inversion: a table
// left all zero (equalisation of a constant grid) or read from a damaged
// histogram file must not reach past the colours. The table must hold
// kLevels entries when the mapping goes through it.
BinLevels bin_levels(Mapping mapping, std::span<const std::int32_t> level_table);

// The palette index of a level with colour_count palette entries: the data
// colours 2 .. colour_count - 1 spread evenly over the levels. Never beyond
// the last palette entry (a palette of 1 or 2 entries has no data colours).
std::uint8_t palette_index(std::int32_t level, std::int32_t colour_count);

}  // namespace gridlib
