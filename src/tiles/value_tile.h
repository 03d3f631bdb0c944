// The values of a finest-level tile for a reader of the data: 256 x 256
// little-endian 32-bit reals, the top line first, NaN for null cells and
// beyond the grid's edges.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace gridlib::tiles {

// Fills out (kTileSide * kTileSide * 4 bytes) from `rows` rows of `columns`
// values starting at first (a stride of `stride` values between rows).
void fill_value_tile(const float* first, std::int64_t rows, std::int64_t columns, std::int64_t stride,
                     std::span<std::byte> out);

}  // namespace gridlib::tiles
