// The 64 slope steps and their bounds.
#include "image/slope_codes.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>

namespace gridlib {
namespace {

constexpr int kLevelStep = 32;
constexpr int kSteps = 31;          // on either side of level ground
constexpr double kSteepest = 88.0;  // degrees; a vertical step would make the normal undefined

// Step 0 repeats step 1, so that the steps fall and rise alike.
double angle_of_step(std::size_t i) {
    const double k = static_cast<double>(std::max(static_cast<int>(i) - kLevelStep, -kSteps));
    const double degrees = std::copysign(kSteepest * std::pow(std::fabs(k) / kSteps, 1.5), k);
    return degrees * std::numbers::pi / 180.0;
}

}  // namespace

SlopeCoder::SlopeCoder() {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < kSlopeSteps; ++i) {
        sines_[i] = static_cast<float>(std::sin(angle_of_step(i)));
        // No tangent falls below the first bound: step 0 is never coded.
        bounds_[i] = i == 0 ? -kInfinity
                   : i + 1 < kSlopeSteps ? std::tan((angle_of_step(i) + angle_of_step(i + 1)) / 2)
                                         : kInfinity;
    }
    // Neighbouring bounds differ by at least 10 % and a bucket spans 3 %, so
    // no bucket holds two bounds. Its lowest tangent is moved down by far
    // more than rounding a tangent to float can move it across the edge.
    for (std::uint32_t b = 0; b < kBuckets; ++b) {
        const auto first = std::bit_cast<float>(b << kBucketShift);
        const auto last = std::bit_cast<float>(b << kBucketShift | ((1u << kBucketShift) - 1));
        if (std::isnan(first) || std::isnan(last)) {
            bucket_step_[b] = 0;
            continue;
        }
        const double lowest = std::min<double>(first, last);
        const double below_it = lowest - 1e-6 * std::fabs(lowest);
        std::size_t step = 0;
        while (step + 1 < kSlopeSteps && bounds_[step] < below_it) ++step;
        bucket_step_[b] = static_cast<std::uint8_t>(step);
    }
}

}  // namespace gridlib
