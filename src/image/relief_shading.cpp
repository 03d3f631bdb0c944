// The lighting of slope pairs.
#include "image/relief_shading.h"

#include <algorithm>
#include <cmath>

namespace gridlib {
namespace {

// The brightness 0..63 of a surface whose slope table entries are ta and tb.
std::int32_t lit_brightness(float ta, float tb, const Lighting& light) {
    // The normal of a surface sloping by ta along x and tb along y.
    const float cross = ta * tb;
    const float d = 1.0f - cross * cross;
    const float nx = ta * std::sqrt((1.0f - tb * tb) / d);
    const float ny = tb * std::sqrt((1.0f - ta * ta) / d);
    const float nz = std::sqrt(std::fmax(0.0f, 1.0f - nx * nx - ny * ny));
    float intensity = (nx * light.x + ny * light.y + nz * light.z - light.dark) / (light.bright - light.dark);
    // NaN (slope table entries of magnitude 1 or more, or equal references)
    // is drawn dark rather than converted to an integer.
    intensity = intensity > 0.0f ? (intensity < 1.0f ? intensity : 1.0f) : 0.0f;
    return static_cast<std::int32_t>(intensity * 63.99f);
}

}  // namespace

ReliefShading::ReliefShading(const Lighting& light, std::span<const float, kSlopeSteps> slope_table, bool inverted)
    : step_(1u << 16) {
    for (std::uint32_t bits = 0; bits < step_.size(); ++bits) {
        const auto code = static_cast<std::int16_t>(static_cast<std::uint16_t>(bits));
        const int step = std::clamp<int>(code, 0, 255) / 4;
        step_[bits] = static_cast<std::uint8_t>(inverted ? static_cast<int>(kSlopeSteps) - 1 - step : step);
    }
    for (std::size_t a = 0; a < kSlopeSteps; ++a)
        for (std::size_t b = 0; b < kSlopeSteps; ++b)
            brightness_[a * kSlopeSteps + b] =
                static_cast<std::uint8_t>(lit_brightness(slope_table[a], slope_table[b], light));
}

}  // namespace gridlib
