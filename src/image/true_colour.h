// Pixels of true-colour images: three bytes per pixel, blue, green, red, in
// a BMP; four, red, green, blue and alpha, in a PNG.
#pragma once

#include "colour/colour_table.h"

#include <cstddef>
#include <cstdint>
#include <span>

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

// How a painter stores pixel c of a line. A cell without data to draw is
// white, and in an image with alpha also fully transparent; every other
// pixel is opaque.
class TrueColourPixels {
public:
    explicit TrueColourPixels(bool with_alpha) : with_alpha_(with_alpha) {}

    // An image without alpha shows the colour whatever its alpha.
    void put(std::span<std::byte> line, std::size_t c, Bgr colour, std::uint8_t alpha = 0xFF) const {
        if (with_alpha_) {
            std::byte* at = &line[4 * c];
            at[0] = std::byte{colour.red};
            at[1] = std::byte{colour.green};
            at[2] = std::byte{colour.blue};
            at[3] = std::byte{alpha};
        } else {
            std::byte* at = &line[3 * c];
            at[0] = std::byte{colour.blue};
            at[1] = std::byte{colour.green};
            at[2] = std::byte{colour.red};
        }
    }
    void put_empty(std::span<std::byte> line, std::size_t c) const {
        put(line, c, kWhite);
        if (with_alpha_) line[4 * c + 3] = std::byte{0};
    }

private:
    bool with_alpha_;
};

}  // namespace gridlib
