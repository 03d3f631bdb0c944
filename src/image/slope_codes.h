// Slope codes of a gradient file as the gradient writer makes them: the fall
// of the surface towards the east (first code) or the north (second code),
// the tangent of its angle, put into one of 64 steps. Step i is the code
// 4 i + 2, so that a cell with data never has the code 0 that marks "no
// shading data", and its slope table entry is the sine of the step's fall
// angle: the surface normal's component along that axis.
#pragma once

#include "image/relief_shading.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace gridlib {

// The first and second code of a cell without shading data.
inline constexpr std::int16_t kNoShadingCode = 0;

// The steps are finer for gentle slopes, where most of a relief lies and the
// eye tells small differences apart, and coarser towards the vertical: step
// 32 is level ground and step 32 + k (k = -31..31) falls at 88 degrees x
// (|k| / 31)^1.5, about 0.5 degrees for k = 1. Step 0 repeats step 1 and is
// never coded, so that falls and rises have the same steps.
class SlopeCoder {
public:
    SlopeCoder();

    // The slope table of these codes: entry i is the sine of step i's angle.
    const std::array<float, kSlopeSteps>& sines() const { return sines_; }

    // The code of the step whose angle lies nearest to that of a fall (a
    // rise for negative values) of `tangent` units per unit across; the
    // tangent must not be NaN.
    std::int16_t code(double tangent) const {
        // The tangent's float bits (sign, exponent and the first mantissa
        // bits) choose a bucket of tangents within 3 % of each other, which
        // holds at most one bound between steps: the bucket's first step, or
        // the next. A cell costs no division and no search.
        // Within float range, by comparisons that compile to min and max.
        double t = tangent < kLargest ? tangent : kLargest;
        t = t > -kLargest ? t : -kLargest;
        const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(t));
        std::size_t step = bucket_step_[bits >> kBucketShift];
        step += bounds_[step] < t ? 1 : 0;
        return static_cast<std::int16_t>(4 * step + 2);
    }

    // The tangent halfway in angle between step i and step i + 1 (1 <= i <=
    // 62), -inf for i = 0 and +inf for i = 63: a tangent codes to the step
    // that counts the bounds below it.
    double bound(std::size_t i) const { return bounds_[i]; }

private:
    static constexpr double kLargest = 1e30;  // steeper than any step, and within float range
    static constexpr unsigned kBucketShift = 18;
    static constexpr std::size_t kBuckets = std::size_t{1} << (32 - kBucketShift);
    std::array<float, kSlopeSteps> sines_;
    std::array<double, kSlopeSteps> bounds_;
    // Per bucket: the step of its lowest tangent (0 for the buckets of
    // infinities and NaN, which no clamped tangent reaches).
    std::array<std::uint8_t, kBuckets> bucket_step_;
};

}  // namespace gridlib
