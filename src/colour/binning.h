// The rule that puts a value into one of the kLevels equal-width bins
// between two colour limits. The histogram and every image writer use this
// one rule, so counts and colours always agree about a value's bin.
#pragma once

#include "colour/colour_table.h"

#include <cstdint>

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

private:
    float lower_, upper_, width_;
};

}  // namespace gridlib
