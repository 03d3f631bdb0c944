// The value at a point within a 3 x 3 block of grid nodes: biquadratic when
// every node holds data, and otherwise the first of a fixed sequence of
// simpler rules whose nodes all hold data (a node's own value, a line, a
// cell or rectangle, a triangle).
#pragma once

#include "grid/biquadratic.h"

#include <cstdint>

namespace gridlib {

// The nodes of a block, named by row (S, M, N: south, middle, north) and then
// column (W, C, E); the value is the node's index in NodeValues.
enum Node : int { SW, SC, SE, MW, MC, ME, NW, NC, NE };

struct NodeBlock {
    NodeValues values{};
    std::uint32_t valid = 0;  // bit n set when node n holds data

    explicit NodeBlock(const NodeValues& v);
    bool holds(Node n) const { return (valid >> n) & 1u; }
    bool complete() const { return valid == 0x1FFu; }
};

// The value at (fx, fy) cells east and north of the block's centre node
// (each within -1.5..+1.5), or kNullValue when no rule's nodes all hold data.
float interpolate_in_block(const NodeBlock& block, double fx, double fy);

}  // namespace gridlib
