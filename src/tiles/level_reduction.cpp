// The 2 x 2 means. The sum is taken in double, so that the mean of four
// floats is the float nearest to it whatever their order.
#include "tiles/level_reduction.h"

#include "descriptor/grid_descriptor.h"

#include <cstddef>

namespace gridlib::tiles {

void reduce_row_pair(std::span<const float> north, std::span<const float> south, std::span<float> out) {
    for (std::size_t j = 0; j < out.size(); ++j) {
        double sum = 0;
        int count = 0;
        const auto take = [&](std::span<const float> row, std::size_t c) {
            if (c < row.size() && is_valid(row[c])) {
                sum += row[c];
                ++count;
            }
        };
        take(north, 2 * j);
        take(north, 2 * j + 1);
        if (!south.empty()) {
            take(south, 2 * j);
            take(south, 2 * j + 1);
        }
        out[j] = count > 0 ? static_cast<float>(sum / count) : kNullValue;
    }
}

void reduce_band(std::span<const float> band, std::int64_t rows, std::int64_t columns, std::span<float> out) {
    const auto width = static_cast<std::size_t>(columns);
    const std::size_t out_width = (width + 1) / 2;
    for (std::int64_t r = 0; r < rows; r += 2) {
        const auto at = static_cast<std::size_t>(r) * width;
        const auto north = band.subspan(at, width);
        const auto south = r + 1 < rows ? band.subspan(at + width, width) : std::span<const float>();
        reduce_row_pair(north, south, out.subspan(static_cast<std::size_t>(r / 2) * out_width, out_width));
    }
}

}  // namespace gridlib::tiles
