// Running count, range, mean and deviation of the working values.
#include "grid/statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace gridlib::grid {

void RunningStatistics::add(std::span<const float> row) {
    // Four independent lanes of branch-free updates, so that the additions
    // overlap instead of waiting on each other; a null value adds nothing.
    constexpr std::size_t kLanes = 4;
    double sum[kLanes] = {}, squares[kLanes] = {};
    float lo[kLanes], hi[kLanes];
    std::int64_t count[kLanes] = {};
    std::fill(lo, lo + kLanes, minimum_);
    std::fill(hi, hi + kLanes, maximum_);
    const std::size_t n = row.size();
    const auto update = [&](std::size_t lane, float v) {
        const bool valid = is_valid(v);
        const double x = valid ? v : 0.0;
        count[lane] += valid;
        sum[lane] += x;
        squares[lane] += x * x;
        // Both tests for every value: the first valid value may be the largest.
        lo[lane] = valid && v < lo[lane] ? v : lo[lane];
        hi[lane] = valid && v > hi[lane] ? v : hi[lane];
    };
    std::size_t i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        for (std::size_t lane = 0; lane < kLanes; ++lane) update(lane, row[i + lane]);
    }
    for (; i < n; ++i) update(0, row[i]);
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        count_ += count[lane];
        sum_ += sum[lane];
        sum_squares_ += squares[lane];
        minimum_ = std::min(minimum_, lo[lane]);
        maximum_ = std::max(maximum_, hi[lane]);
    }
}

float RunningStatistics::mean() const {
    return count_ > 0 ? static_cast<float>(sum_ / static_cast<double>(count_)) : 0.0f;
}

float RunningStatistics::std_dev() const {
    if (count_ == 0) return 0.0f;
    const double m = sum_ / static_cast<double>(count_);
    if (!(std::fabs(m) < 1.0e18)) return 0.0f;
    const double variance = sum_squares_ / static_cast<double>(count_) - m * m;
    return variance > 0.0 ? static_cast<float>(std::sqrt(variance)) : 0.0f;
}
working_grid::Statistics RunningStatistics::header_words() const {
    working_grid::Statistics s;
    s.count = static_cast<std::int32_t>(std::min<std::int64_t>(count_, std::numeric_limits<std::int32_t>::max()));
    s.minimum = minimum();
    s.maximum = maximum();
    s.mean = mean();
    s.std_dev = static_cast<double>(std_dev());
    return s;
}

}  // namespace gridlib::grid
