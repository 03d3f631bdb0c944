// Window edges to index ranges.
#include "rows/index_range.h"

namespace gridlib::rows {
namespace {

// Truncates toward zero and clamps into 1..n: with a negative or zero spacing,
// or near the float precision of very wide grids, the quotient can fall
// outside the grid, and an index outside it must never reach the readers.
std::int32_t clamped_index(float x, std::int32_t n) {
    if (!(x >= 1.0f)) return 1;  // also NaN
    if (static_cast<double>(x) >= static_cast<double>(n)) return n;
    return static_cast<std::int32_t>(x);
}

}  // namespace

std::optional<IndexRange> index_range(float origin, float far, float spacing, std::int32_t n, float low,
                                      float high, std::int32_t step) {
    if (n < 1 || step < 1) return std::nullopt;
    IndexRange r;
    r.step = step;
    // A window edge within a thousandth of a cell of the grid's own edge
    // keeps the edge cell.
    r.first = origin + 0.001f * spacing < low ? clamped_index((low - origin) / spacing + 1.0f, n) : 1;
    r.last = far - 0.001f * spacing > high ? clamped_index((high - origin) / spacing + 1.0f, n) : n;
    if (r.last < r.first) return std::nullopt;
    r.last -= (r.last - r.first) % step;
    return r;
}

}  // namespace gridlib::rows
