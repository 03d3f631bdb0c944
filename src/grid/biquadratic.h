// Biquadratic interpolation within a 3 x 3 block of grid nodes: the quadratic
// Lagrange weights of one offset, and their weighted sum over the block.
#pragma once

#include <array>

namespace gridlib {

// Nine node values, row by row from south to north, each row from west to
// east: index 3 * row + column, both 0..2, the centre node at index 4.
using NodeValues = std::array<float, 9>;

// Weights of the nodes at -1, 0 and +1 for a point at offset t from the
// centre node, in cells. They sum to 1 and reproduce any quadratic in t.
using QuadraticWeights = std::array<double, 3>;
QuadraticWeights quadratic_weights(double t);

// The weighted sum over the block, wx along the rows and wy across them,
// accumulated in double and rounded once. Nodes are not tested for null:
// the caller decides whether the block may be used.
float biquadratic(const NodeValues& v, const QuadraticWeights& wx, const QuadraticWeights& wy);

}  // namespace gridlib
