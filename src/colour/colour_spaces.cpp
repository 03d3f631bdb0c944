// Colour-space conversions; float constants and float maths only.
#include "colour/colour_spaces.h"

#include <algorithm>
#include <cmath>

namespace gridlib {
namespace {

// The rotation that puts the grey diagonal on an axis: a = sqrt(2/3),
// b = 1/sqrt(6), c = 1/sqrt(3), d = 1/sqrt(2).
constexpr float kA = 0.81649655f;
constexpr float kB = 0.40824828f;
constexpr float kC = 0.57735026f;
constexpr float kD = 0.70710677f;
constexpr float kPi = 3.1415925f;

// NaN becomes 0 so that a bad component cannot travel on as NaN.
float clamp01(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

}  // namespace

Hsv rgb_to_hsv(Rgb& colour) {
    colour = {clamp01(colour.red), clamp01(colour.green), clamp01(colour.blue)};
    const float x = kA * colour.blue - kB * (colour.red + colour.green);
    const float y = kD * (colour.green - colour.red);
    Hsv out;
    if (x != 0.0f) {
        out.hue = std::atan(y / x);
        if (x < 0.0f) out.hue += kPi;
    }
    out.saturation = std::sqrt(y * y + x * x);
    out.value = kC * (colour.blue + colour.red + colour.green);
    return out;
}

Rgb hsv_to_rgb(const Hsv& hsv) {
    const float p = hsv.saturation * std::cos(hsv.hue);
    const float q = hsv.saturation * std::sin(hsv.hue);
    const float grey = kC * hsv.value;
    return {clamp01(grey - kD * q - kB * p), clamp01(kD * q + grey - kB * p), clamp01(kA * p + grey)};
}

Hsl rgb_to_hsl(Rgb colour) {
    const float r = clamp01(colour.red), g = clamp01(colour.green), b = clamp01(colour.blue);
    const float lo = std::min({r, g, b});
    const float hi = std::max({r, g, b});
    Hsl out;
    out.lightness = (hi + lo) / 2.0f;
    if (hi == lo) return out;
    const float d = hi - lo;
    out.saturation = out.lightness <= 0.5f ? d / (hi + lo) : d / (2.0f - hi - lo);
    // Red wins a tie for the maximum, then green.
    if (r == hi)
        out.hue = (g - b) / d;
    else if (g == hi)
        out.hue = (b - r) / d + 2.0f;
    else
        out.hue = (r - g) / d + 4.0f;
    return out;
}

Rgb hsl_to_rgb(const Hsl& hsl) {
    const float h = hsl.hue, s = hsl.saturation, l = hsl.lightness;
    if (s == 0.0f) return {l, l, l};
    const float low = l <= 0.5f ? (1.0f - s) * l : l - (1.0f - l) * s;
    const float high = 2.0f * l - low;
    const float span = high - low;
    Rgb c;
    if (h < 1.0f) {
        c.red = high;
        if (h >= 0.0f) {
            c.blue = low;
            c.green = low + span * h;
        } else {
            c.green = low;
            c.blue = low - span * h;
        }
    } else if (h < 3.0f) {
        c.green = high;
        if (h >= 2.0f) {
            c.red = low;
            c.blue = low + span * (h - 2.0f);
        } else {
            c.blue = low;
            c.red = low - span * (h - 2.0f);
        }
    } else {
        c.blue = high;
        if (h >= 4.0f) {
            c.green = low;
            c.red = low + span * (h - 4.0f);
        } else {
            c.red = low;
            c.green = low - span * (h - 4.0f);
        }
    }
    return c;
}

}  // namespace gridlib
