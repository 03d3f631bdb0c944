// Value tiles in the byte order they are read in, whatever the host's.
#include "tiles/value_tile.h"

#include "descriptor/grid_descriptor.h"
#include "tiles/pyramid_plan.h"

#include <bit>
#include <limits>

namespace gridlib::tiles {

void fill_value_tile(const float* first, std::int64_t rows, std::int64_t columns, std::int64_t stride,
                     std::span<std::byte> out) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (std::int64_t r = 0; r < kTileSide; ++r) {
        for (std::int64_t c = 0; c < kTileSide; ++c) {
            float v = nan;
            if (r < rows && c < columns) {
                const float cell = first[r * stride + c];
                if (is_valid(cell)) v = cell;
            }
            const auto bits = std::bit_cast<std::uint32_t>(v);
            std::byte* at = out.data() + 4 * (r * kTileSide + c);
            for (int k = 0; k < 4; ++k) at[k] = static_cast<std::byte>((bits >> (8 * k)) & 0xff);
        }
    }
}

}  // namespace gridlib::tiles
