// The colour calculator: one colour of a colour scheme for a fraction 0..1.
// The image writers and the colour-table builder all take their colours
// from here, so a scheme looks the same whichever writer draws it.
#pragma once

#include "colour/colour_table.h"

#include <cstdint>

namespace gridlib {

// One channel of the 6 x 6 x 6 colour cube: 0 below 0, 1 above 5, else k / 5.
float cube_channel(std::int32_t k);

// The colour of `fraction` in `scheme`, components 0..1. A fraction in
// -1..0 gives white and one below -1 black, whatever the scheme (callers use
// them for null cells and outlines). Schemes by magnitude: 1, 4 and 9 or
// more grey; 7 and 8 the colour cube; 5 and 6 the tinted rainbow, where tint
// -1..1 darkens or lightens and tint_exponent (normally 1) bends the tint;
// exactly 3 the user colours 2..9 picked by the fraction; any other scheme
// interpolates the user colours when user.count > 0 and otherwise gives the
// rainbow ramp blue, cyan, green, yellow, red.
Rgb scheme_colour(float fraction, float tint, float tint_exponent, std::int32_t scheme, const UserColours& user);

}  // namespace gridlib
