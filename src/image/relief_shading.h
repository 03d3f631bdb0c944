// Sun shading of a relief: two slope codes per cell select two entries of a
// 64-entry slope table, which make a surface normal; the normal lit by a
// light vector gives the cell's brightness 0..63. With only 64 x 64 pairs of
// slope steps, the brightness of every pair is worked out once per image,
// and so is the step of every 16-bit code: a cell costs table look-ups.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace gridlib {

inline constexpr std::size_t kSlopeSteps = 64;
inline constexpr std::int32_t kBrightnessSteps = 64;

struct Lighting {
    float x = 0, y = 0, z = 1;  // the light vector
    float dark = 0;             // the illumination shown as brightness 0
    float bright = 1;           // the illumination shown as full brightness
};

// A cell whose first slope code is 0 or negative has no shading data.
inline bool has_shading(std::int16_t first_code) { return first_code > 0; }

class ReliefShading {
public:
    // inverted: every slope step i is read as 63 - i, for images whose colour
    // order is reversed too.
    ReliefShading(const Lighting& light, std::span<const float, kSlopeSteps> slope_table, bool inverted);

    // The pair of slope steps (0 .. 64 x 64 - 1) of a cell's two codes.
    // Codes 0..255 make steps code / 4; a code above 255 counts as 255 and
    // one below 0 as 0, so no code of a damaged gradient file reaches
    // outside the slope table.
    std::size_t pair(std::int16_t first_code, std::int16_t second_code) const {
        return std::size_t{step_[static_cast<std::uint16_t>(first_code)]} * kSlopeSteps +
               step_[static_cast<std::uint16_t>(second_code)];
    }
    // The brightness 0..63 of a pair of slope steps.
    std::int32_t brightness(std::size_t pair) const { return brightness_[pair]; }

private:
    std::vector<std::uint8_t> step_;  // of every code, by its 16 bits
    std::array<std::uint8_t, kSlopeSteps * kSlopeSteps> brightness_;
};

}  // namespace gridlib
