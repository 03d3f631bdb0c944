// The shape of a tile pyramid: level z = 0 is one tile that holds the whole
// grid, each level below it doubles the resolution, and the finest level
// has one pixel per cell. Tiles are counted from the north-west corner, x
// to the east and y to the south.
#pragma once

#include <cstdint>

namespace gridlib::tiles {

// The side of a tile in pixels, as web maps take them.
inline constexpr std::int64_t kTileSide = 256;

// The cells of one level: each is the mean of a 2 x 2 block of the level
// below (only one or two cells at an odd east or south edge).
struct LevelSize {
    std::int64_t columns = 0;
    std::int64_t rows = 0;
    std::int64_t tile_columns() const { return (columns + kTileSide - 1) / kTileSide; }
    std::int64_t tile_rows() const { return (rows + kTileSide - 1) / kTileSide; }
};

class PyramidPlan {
public:
    // For a grid of columns x rows >= 1 cells.
    PyramidPlan(std::int64_t columns, std::int64_t rows);

    // The finest level's z: the fewest halvings that fit the grid in one tile.
    int finest() const { return finest_; }
    int levels() const { return finest_ + 1; }
    LevelSize level(int z) const;
    // Tiles of every level together.
    std::int64_t tile_count() const;

private:
    std::int64_t columns_, rows_;
    int finest_ = 0;
};

}  // namespace gridlib::tiles
