// Bands of a pyramid's levels: the rows of one row of tiles, kept until
// their tiles are written and their means passed to the coarser level.
// Memory is one band per level, never the whole grid.
#pragma once

#include "tiles/pyramid_plan.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace gridlib::tiles {

struct Band {
    int z = 0;
    LevelSize size;
    std::int64_t tile_row = 0;  // y of the tiles it fills
    std::int64_t rows = 0;      // filled so far, up to kTileSide
    std::unique_ptr<float[]> values;  // kTileSide rows of size.columns

    std::span<float> row(std::int64_t r) const {
        const auto width = static_cast<std::size_t>(size.columns);
        return {values.get() + static_cast<std::size_t>(r) * width, width};
    }
    std::span<const float> filled() const {
        return {values.get(), static_cast<std::size_t>(rows * size.columns)};
    }
    // Every row of the level is in this band or an earlier one.
    bool ends_level() const { return tile_row * kTileSide + rows == size.rows; }
    bool complete() const { return rows == kTileSide || ends_level(); }
};

// The bands of every level, finest last; the finest is filled from the
// grid, each coarser one from the means of the band below it.
class BandChain {
public:
    explicit BandChain(const PyramidPlan& plan);

    Band& finest() { return bands_.back(); }
    // After the finest band has been filled: every band completed now,
    // finest first, the coarser ones holding the means of the finer ones.
    std::vector<Band*> cascade();
    // After their tiles are written: the completed bands start their next row of tiles.
    static void advance(const std::vector<Band*>& done);

private:
    std::vector<Band> bands_;  // by z
};

}  // namespace gridlib::tiles
