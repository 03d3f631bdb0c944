// The gradient writer: the slope codes of every cell of a working grid, in
// the gradient file the shaded relief writer lights, and the slope table
// that turns them into the grid's own surface normals.
#pragma once

#include "descriptor/grid_descriptor.h"
#include "image/relief_shading.h"

#include <cstdint>
#include <span>
#include <string>

namespace gridlib {

// Writes the gradient file of the working grid at working_path to
// gradient_path and fills slope_table. The slope of a cell along x (west to
// east) and along y (south to north) is the central difference of its two
// neighbours, over twice the cell spacing of the descriptor; where one
// neighbour is null or beyond the edge, the one-sided difference between the
// cell and the other; both times `exaggeration`. Its fall towards the east
// and towards the north become the first and the second code (see
// SlopeCoder), so that the normal the shading makes of the two table
// entries is the surface normal. A null cell, and a cell without a neighbour
// holding data along x or along y, gets the code 0: no shading data.
// Reads the working grid in blocks of rows, each with the row beyond either
// end, codes the blocks on several threads (a few blocks per thread in
// memory) and writes the file sequentially; the file is the same for every
// thread count. Returns 0; GRIDLIB_REFUSED (a byte image, no positive size,
// a cell spacing that is not positive, an exaggeration that is not finite,
// or the gradient file is the working grid) with no file made;
// GRIDLIB_GRADIENT_GRID_UNREADABLE when the working grid cannot be read or
// is shorter than the grid; GRIDLIB_NO_ROOM (no file made) when the file
// system of the gradient file has no room for it; GRIDLIB_GRADIENT_WRITE_FAILED.
std::int32_t write_gradient_file(const std::string& working_path, const std::string& gradient_path,
                                 DescriptorView d, float exaggeration, std::span<float, kSlopeSteps> slope_table);

}  // namespace gridlib
