// Pixels of 24-bit images: three bytes per pixel, blue, green, red.
#pragma once

#include "colour/colour_table.h"

#include <cstddef>
#include <cstdint>

namespace gridlib {

struct Bgr {
    std::uint8_t blue = 0, green = 0, red = 0;
    bool operator==(const Bgr&) const = default;
};

// The colour of null cells.
inline constexpr Bgr kWhite{255, 255, 255};

// A colour with components 0..1 as pixel bytes, each component x 255
// truncated (not rounded): full intensity is 255, anything less stays below.
inline Bgr truncated_bytes(const Rgb& c) {
    auto byte = [](float v) { return static_cast<std::uint8_t>(v > 0.0f ? (v < 1.0f ? v * 255.0f : 255.0f) : 0.0f); };
    return {byte(c.blue), byte(c.green), byte(c.red)};
}

inline void put_pixel(std::byte* at, Bgr c) {
    at[0] = std::byte{c.blue};
    at[1] = std::byte{c.green};
    at[2] = std::byte{c.red};
}

}  // namespace gridlib
