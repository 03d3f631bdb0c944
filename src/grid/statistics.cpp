// Running count, range, mean and deviation of the working values.
#include "grid/statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace gridlib::grid {

void RunningStatistics::add(std::span<const float> row) {
    // Locals so that the compiler keeps them in registers across the row.
    std::int64_t count = count_;
    float lo = minimum_, hi = maximum_, sum = sum_, squares = sum_squares_;
    for (const float v : row) {
        if (!is_valid(v)) continue;
        ++count;
        // Both tests for every value: the first valid value may be the largest.
        if (v < lo) lo = v;
        if (v > hi) hi = v;
        sum += v;
        squares += v * v;
    }
    count_ = count;
    minimum_ = lo;
    maximum_ = hi;
    sum_ = sum;
    sum_squares_ = squares;
}

float RunningStatistics::mean() const { return count_ > 0 ? sum_ / static_cast<float>(count_) : 0.0f; }

float RunningStatistics::std_dev() const {
    if (count_ == 0) return 0.0f;
    const float m = mean();
    if (!(std::fabs(m) < 1.0e18f)) return 0.0f;
    const float variance = sum_squares_ / static_cast<float>(count_) - m * m;
    return variance > 0.0f ? std::sqrt(variance) : 0.0f;
}

working_grid::Statistics RunningStatistics::header_words() const {
    working_grid::Statistics s;
    s.count = static_cast<std::int32_t>(std::min<std::int64_t>(count_, std::numeric_limits<std::int32_t>::max()));
    s.minimum = minimum_;
    s.maximum = maximum_;
    s.mean = mean();
    s.std_dev = static_cast<double>(std_dev());
    return s;
}

}  // namespace gridlib::grid
