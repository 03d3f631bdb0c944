// Running count, range, mean and deviation of the working values. The row
// sums use the compiler's vector types: its vectoriser leaves these loops
// alone, since it may not reorder additions that are not associative, nor
// take "a < b ? a : b" for a minimum (the two differ for -0 and +0), and
// the lanes here keep both exactly as a scalar loop over them would.
#include "grid/statistics.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace gridlib::grid {
namespace {

using Floats = float __attribute__((vector_size(16)));
using Masks = std::int32_t __attribute__((vector_size(16)));
using Doubles = double __attribute__((vector_size(16)));

constexpr float kTop = std::numeric_limits<float>::max();
constexpr float kBottom = std::numeric_limits<float>::lowest();

// a where the mask is set, else b.
Floats pick(Masks m, Floats a, Floats b) {
    return reinterpret_cast<Floats>((reinterpret_cast<Masks>(a) & m) | (reinterpret_cast<Masks>(b) & ~m));
}

}  // namespace

RowSums row_sums(std::span<const float> row) {
    const Floats threshold = {kNullThreshold, kNullThreshold, kNullThreshold, kNullThreshold};
    const Floats top = {kTop, kTop, kTop, kTop}, bottom = {kBottom, kBottom, kBottom, kBottom}, zero = {};
    // Lanes 0 and 1, lanes 2 and 3.
    Doubles sum01 = {}, sum23 = {}, squares01 = {}, squares23 = {};
    Floats lo = top, hi = bottom;
    Masks counted = {};
    const std::size_t n = row.size(), groups = n / RowSums::kLanes;
    const float* p = row.data();
    for (std::size_t g = 0; g < groups; ++g, p += RowSums::kLanes) {
        Floats x;
        std::memcpy(&x, p, sizeof x);
        const Masks valid = x > threshold;  // NaN is not
        const Floats v = pick(valid, x, zero);
        const Doubles v01 = {v[0], v[1]}, v23 = {v[2], v[3]};
        counted -= valid;  // a set mask is -1
        sum01 += v01;
        sum23 += v23;
        squares01 += v01 * v01;
        squares23 += v23 * v23;
        // A null value takes the widest range, which changes nothing.
        const Floats low = pick(valid, x, top), high = pick(valid, x, bottom);
        lo = pick(low < lo, low, lo);
        hi = pick(high > hi, high, hi);
    }
    RowSums r;
    r.sum[0] = sum01[0], r.sum[1] = sum01[1], r.sum[2] = sum23[0], r.sum[3] = sum23[1];
    r.squares[0] = squares01[0], r.squares[1] = squares01[1], r.squares[2] = squares23[0], r.squares[3] = squares23[1];
    r.count = std::int64_t{counted[0]} + counted[1] + counted[2] + counted[3];
    float lane_lo[RowSums::kLanes] = {lo[0], lo[1], lo[2], lo[3]};
    float lane_hi[RowSums::kLanes] = {hi[0], hi[1], hi[2], hi[3]};
    for (std::size_t i = groups * RowSums::kLanes; i < n; ++i) {
        const float x = row[i];
        if (!is_valid(x)) continue;
        const double v = x;
        ++r.count;
        r.sum[0] += v;
        r.squares[0] += v * v;
        lane_lo[0] = x < lane_lo[0] ? x : lane_lo[0];
        lane_hi[0] = x > lane_hi[0] ? x : lane_hi[0];
    }
    // Strict comparisons: of equal values (-0 and +0) the first lane's stays.
    for (std::size_t lane = 0; lane < RowSums::kLanes; ++lane) {
        r.minimum = lane_lo[lane] < r.minimum ? lane_lo[lane] : r.minimum;
        r.maximum = lane_hi[lane] > r.maximum ? lane_hi[lane] : r.maximum;
    }
    return r;
}

void RunningStatistics::add(const RowSums& row) {
    count_ += row.count;
    for (std::size_t lane = 0; lane < RowSums::kLanes; ++lane) {
        sum_ += row.sum[lane];
        sum_squares_ += row.squares[lane];
    }
    minimum_ = row.minimum < minimum_ ? row.minimum : minimum_;
    maximum_ = row.maximum > maximum_ ? row.maximum : maximum_;
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
