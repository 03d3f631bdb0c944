// The map window of a grid read: whether it meets the grid, and the
// coordinates of the cells it keeps.
#pragma once

#include "descriptor/grid_descriptor.h"

#include <cstdint>

namespace gridlib {

// The map window to read and the steps: keep every column_step-th column
// and every row_step-th row (1 keeps all).
struct GridWindow {
    float west_x = 0, east_x = 0;
    std::int32_t column_step = 1;
    float south_y = 0, north_y = 0;
    std::int32_t row_step = 1;
};

namespace grid {

// False when the window lies entirely outside the grid's extent (touching an
// edge counts as outside).
bool window_overlaps(const DescriptorView& d, const GridWindow& w);

// Coordinate of cell i (1-based). Formed the way the header readers form the
// east and north edges, so that a window covering the whole grid leaves the
// extent exactly as it was.
float coordinate_of(float origin, float spacing, std::int32_t i);

}  // namespace grid
}  // namespace gridlib
