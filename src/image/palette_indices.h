// The palette index of every value of a palette image: the index of its
// bin between the colour limits, through the level table and the
// inversion, and index 0 for null cells. The palette writer and the tile
// pyramid colour alike through it.
#pragma once

#include "colour/binning.h"
#include "image/level_mapping.h"

#include <array>
#include <cstdint>
#include <span>

namespace gridlib {

class PaletteIndices {
public:
    static constexpr std::uint8_t kNullIndex = 0;

    PaletteIndices(const Bins& bins, Mapping mapping, std::span<const std::int32_t> level_table,
                   std::int32_t colour_count);
    std::uint8_t operator()(float v) const {
        if (!is_valid(v)) return kNullIndex;  // NaN included
        return index_[static_cast<std::size_t>(bins_.bin(v) - 1)];
    }
    // The indices of a run of values: their bins in a loop that vectorises,
    // then a look-up each.
    void indices(std::span<const float> values, std::uint8_t* out) const;

private:
    Bins bins_;
    std::array<std::uint8_t, kLevels + 1> index_;  // the last one for null cells
};

}  // namespace gridlib
