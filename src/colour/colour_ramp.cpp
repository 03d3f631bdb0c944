// The colour calculator and its ramps, in float arithmetic throughout.
#include "colour/colour_ramp.h"

#include "colour/colour_spaces.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace gridlib {
namespace {

// NaN counts as 0, so that no later step converts NaN to an integer.
float clamp01(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

Rgb clamped(Rgb c) { return {clamp01(c.red), clamp01(c.green), clamp01(c.blue)}; }

// The saturation of a fully saturated corner of the rotated RGB cube.
constexpr float kFullSaturation = 0.81649655f;

// Blue, cyan, green, yellow, red; the blends between the corners are paled
// by doubling the distance of their saturation from a corner's.
Rgb rainbow(float x) {
    const float x4 = 4.0f * x;
    int k = static_cast<int>(x4);
    if (k > 3) k = 3;
    float f = clamp01(x4 - static_cast<float>(k));
    Rgb c;
    switch (k) {
        case 0: f = std::sqrt(f); c = {0.0f, f, 1.0f}; break;
        case 1: f = f * f; c = {0.0f, 1.0f, 1.0f - f}; break;
        case 2: f = std::sqrt(f); c = {f, 1.0f, 0.0f}; break;
        default: f = f * f; c = {1.0f, 1.0f - f, 0.0f}; break;
    }
    Hsv hsv = rgb_to_hsv(c);
    hsv.saturation = 2.0f * hsv.saturation - kFullSaturation;
    return hsv_to_rgb(hsv);
}

// Violet, blue, cyan, green, yellow, red, white; the tint darkens (< 0) or
// lightens (> 0) the whole ramp.
Rgb tinted_rainbow(float x, float tint, float tint_exponent) {
    const float t = 4.0f * x + 0.8f;
    // Six segments; the two around yellow are narrower (0.6 of a unit).
    int segment = 5;
    float f = t - 4.0f;
    if (t < 1.0f) {
        segment = 0;
        f = t;
    } else if (t < 2.0f) {
        segment = 1;
        f = t - 1.0f;
    } else if (t < 3.0f) {
        segment = 2;
        f = t - 2.0f;
    } else if (t < 3.6f) {
        segment = 3;
        f = (t - 3.0f) / 0.6f;
    } else if (t < 4.2f) {
        segment = 4;
        f = (t - 3.6f) / 0.6f;
    }

    float e = std::sqrt(clamp01((tint + 1.0f) / 2.0f)) - 0.70710677f;
    e = e > 0.0f ? e * 2.6f : e * 1.25f;
    if (std::fabs(tint_exponent - 1.0f) > 0.01f && e != 0.0f && tint_exponent > 0.0f) {
        const float bent = std::pow(std::fabs(e), 1.0f / tint_exponent);
        e = e < 0.0f ? -bent : bent;
    }
    // The middle (green) segment switches form exactly at zero tint, the
    // others just above it.
    const bool bright = segment == 2 ? e > 0.0f : e > 0.001f;
    const float up = 1.0f - e;  // bright forms blend towards full from e
    const float dark = e + 1.0f;

    switch (segment) {
        case 0:
            f = f * f;
            return bright ? Rgb{1.0f - up * f, e, 1.0f} : Rgb{dark * (1.0f - f), 0.0f, dark};
        case 1: {
            const float w = 0.75f + 0.1f * (1.0f - f) * (1.0f - f);
            return bright ? Rgb{e, up * f * w + e, 1.0f} : Rgb{0.0f, dark * f * w, dark};
        }
        case 2: {
            const float w = 0.85f + 0.1f * f * f;
            return bright ? Rgb{e, w, 1.0f - up * f} : Rgb{0.0f, w + e, dark * (1.0f - f)};
        }
        case 3:
            return bright ? Rgb{up * f + e, 1.0f, e} : Rgb{dark * f, dark, 0.0f};
        case 4:
            return bright ? Rgb{1.0f, 1.0f - up * f, e} : Rgb{dark, dark * (1.0f - f), 0.0f};
        default: {
            f = (f / 0.8f) * (f / 0.8f);
            if (bright) return {1.0f, up * f + e, up * f + e};
            const float half = e / 2.0f + 1.0f;
            return {half, half * f, half * f};
        }
    }
}

// Linear interpolation between neighbouring user colours. The upper
// neighbour is only read when it contributes, so the last colour in use
// never reaches past the table.
Rgb interpolate_user(float x, const UserColours& user) {
    const std::int32_t count = user.count < static_cast<std::int32_t>(kLevels) ? user.count : kLevels;
    const float t = static_cast<float>(count - 1) * x;
    std::int32_t k = static_cast<std::int32_t>(t);
    if (k > count - 1) k = count - 1;
    const float f = t - static_cast<float>(k);
    const Rgb a = user.entry(static_cast<std::size_t>(k));
    if (f == 0.0f) return a;
    const Rgb b = user.entry(static_cast<std::size_t>(k) + 1);
    const float g = 1.0f - f;
    return {g * a.red + f * b.red, g * a.green + f * b.green, g * a.blue + f * b.blue};
}

}  // namespace

float cube_channel(std::int32_t k) {
    if (k < 0) return 0.0f;
    if (k > 5) return 1.0f;
    return static_cast<float>(k) / 5.0f;
}

Rgb scheme_colour(float fraction, float tint, float tint_exponent, std::int32_t scheme, const UserColours& user) {
    const float v = fraction;
    if (v < 0.0f) return v >= -1.0f ? Rgb{1.0f, 1.0f, 1.0f} : Rgb{0.0f, 0.0f, 0.0f};
    const float x = clamp01(v);
    const std::int64_t m = std::llabs(static_cast<std::int64_t>(scheme));

    if (m == 7 || m == 8) {
        // Colour c of the cube has blue as its lowest base-6 digit.
        std::int32_t c = static_cast<std::int32_t>(std::lround(215.0f * x));
        const float blue = cube_channel(c % 6);
        c /= 6;
        const float green = cube_channel(c % 6);
        c /= 6;
        return {cube_channel(c % 6), green, blue};
    }
    if (m == 1 || m == 4 || m >= 9) {
        const float g = std::sqrt(x);
        return {g, g, g};
    }
    if (scheme == 3) {
        // Entries 2..9 serve the fractions 0..1; larger fractions reach
        // further into the table, up to its last entry.
        const float k = 7.0f * v;
        std::size_t index = kLevels - 1;
        if (k < static_cast<float>(kLevels))
            index = std::min(static_cast<std::size_t>(std::lround(k)) + 1, kLevels - 1);
        return clamped(user.entry(index));
    }
    if (m == 5 || m == 6) return clamped(tinted_rainbow(x, tint, tint_exponent));
    if (user.count > 0) return clamped(interpolate_user(x, user));
    return clamped(rainbow(x));
}

}  // namespace gridlib
