// Values of a grid in the working-grid layout at arbitrary map points, each
// interpolated within the 3 x 3 block of nodes around the nearest node.
#pragma once

#include "descriptor/grid_descriptor.h"

#include <cstdint>
#include <span>
#include <string>

namespace gridlib {

// Sets values[i] to the grid's value at (x[i], y[i]) for every i; the three
// spans have the same length. The grid file holds a 512-byte header and rows
// of 32-bit reals; the descriptor gives its size and geometry as the header
// reader left them (the count copies and the input geometry words) and, in
// its storage order, whether stored row 1 is the northern row (-2) or the
// southern one (any other value).
//
// A point keeps the null value when it lies more than half a cell outside
// the grid, when its block does not lie wholly within the grid and the file
// (a grid of fewer than three columns or rows, a file shorter than the
// descriptor says), or when no interpolation rule finds its nodes. Returns
// GRIDLIB_OK, or GRIDLIB_REFUSED for a byte-image format or a file that
// cannot be opened; every value is null then. Reads only the blocks the
// points need, through a cache of fixed size.
std::int32_t look_up_points(const std::string& path, const DescriptorView& d, std::span<const float> x,
                            std::span<const float> y, std::span<float> values);

}  // namespace gridlib
