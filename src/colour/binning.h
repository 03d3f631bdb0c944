// The rule that puts a value into one of the kLevels equal-width bins
// between two colour limits. The histogram and every image writer use this
// one rule, so counts and colours always agree about a value's bin.
#pragma once

#include "colour/colour_table.h"

#include "descriptor/grid_descriptor.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace gridlib {

class Bins {
public:
    // The bin width is held as a float; it and a bin are found in double
    // arithmetic on the float operands, so that limits as far apart as -3e38
    // and 3e38 (whose float difference overflows) still get a finite width.
    Bins(float lower, float upper)
        : lower_(lower), upper_(upper),
          width_(static_cast<float>((double(upper) - double(lower)) / double(kLevels))) {}

    float lower() const { return lower_; }
    float upper() const { return upper_; }
    float width() const { return width_; }

    // Bin 1..kLevels of a value: at or below the lower limit bin 1, at or
    // above the upper one the last bin. A width that underflowed to zero or
    // limits that are not finite still give a bin in range.
    std::int32_t bin(float v) const {
        if (v <= lower_) return 1;
        if (v >= upper_) return static_cast<std::int32_t>(kLevels);
        return bin_above_lower(v);
    }

    // The bin of a value known to lie inside the limits.
    std::int32_t bin_above_lower(float v) const {
        const double q = (double(v) - double(lower_)) / double(width_);
        if (!(q < double(kLevels - 1))) return static_cast<std::int32_t>(kLevels);
        return q > 0.0 ? static_cast<std::int32_t>(q) + 1 : 1;
    }

    // The same rule for many values at once, written as selects so that the
    // loop vectorises: out[i] = bin(values[i]) - 1, or kLevels for a value
    // that is not valid (NaN included).
    void zero_based_bins(std::span<const float> values, std::int32_t* out) const {
        const double lower = lower_, width = width_;
        constexpr double kLast = kLevels - 1;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const float v = values[i];
            const double q = (double(v) - lower) / width;
            const double below_last = q < kLast ? q : kLast;  // NaN too goes to the last bin
            const double within = below_last > 0.0 ? below_last : 0.0;
            std::int32_t k = static_cast<std::int32_t>(within);
            k = v >= upper_ ? static_cast<std::int32_t>(kLast) : k;
            k = v <= lower_ ? 0 : k;
            out[i] = is_valid(v) ? k : static_cast<std::int32_t>(kLevels);
        }
    }

private:
    float lower_, upper_, width_;
};

}  // namespace gridlib
