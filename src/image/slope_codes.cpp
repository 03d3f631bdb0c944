// The 64 slope steps and their bounds.
#include "image/slope_codes.h"

#include <algorithm>
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
    // Neighbouring bounds lie at least 0.48 degrees apart and a bucket spans
    // less than 0.06 degrees, so no bucket holds two bounds.
    for (std::size_t b = 0; b <= kBuckets; ++b) {
        const double u = 2.0 * static_cast<double>(b) / kBuckets - 1.0;
        const double lowest = u >= 1.0 ? std::numeric_limits<double>::max() : u / (1.0 - std::fabs(u));
        std::size_t below = 0;
        while (below + 1 < kSlopeSteps && bounds_[below] < lowest) ++below;
        bucket_step_[b] = static_cast<std::uint8_t>(below > 0 ? below - 1 : 0);
    }
}

}  // namespace gridlib
