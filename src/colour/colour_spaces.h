// Conversions between red-green-blue and two polar colour spaces, in 32-bit
// float arithmetic throughout so that every caller gets the same colours.
//
// HSV here is a rotation of the RGB cube about its grey diagonal: the hue is
// the angle (radians, -pi/2 .. 3pi/2) across the grey axis, the saturation
// the distance from it (0.81649655 for the six pure primaries and
// secondaries) and the value the distance along it (0 .. 1.7320508).
// HSL is the common model with the hue in sixths of a turn (-1 .. 5).
#pragma once

#include "colour/colour_table.h"

namespace gridlib {

struct Hsv {
    float hue = 0, saturation = 0, value = 0;
};

struct Hsl {
    float hue = 0, saturation = 0, lightness = 0;
};

// Clamps the components to 0..1 in place (callers see the clamped colour)
// and returns its rotated-cube coordinates.
Hsv rgb_to_hsv(Rgb& colour);
// The inverse of rgb_to_hsv; components clamped to 0..1.
Rgb hsv_to_rgb(const Hsv& hsv);
// Works on a clamped copy; a grey has hue 0 and saturation 0.
Hsl rgb_to_hsl(Rgb colour);
// Not clamped: hues -1..5 with saturation and lightness 0..1 stay in 0..1.
Rgb hsl_to_rgb(const Hsl& hsl);

}  // namespace gridlib
