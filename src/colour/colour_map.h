// The colour table of an image: entry 0 white for null cells, entry 1 black,
// then the colours of a colour scheme, lowest data values first.
#pragma once

#include "colour/colour_table.h"

#include <cstdint>
#include <span>

namespace gridlib {

// The direction of the light for the shaded-slope scheme, in degrees.
struct LightDirection {
    float azimuth = 0;
    float elevation = 0;
};

// A component 0..1 as the nearest table value 0..255 (halves away from zero).
std::int32_t to_table_value(float component);

// Fills entries 0 .. n + 1 of the table and returns the colour count n + 2;
// entries beyond are left as they were. n per scheme: 1 and 2 (the grey and
// the rainbow ramp) 236; 3 (the packed colours) 16; 4 (grey levels of 15 x 15
// lit slopes) 225; 5 and 6 (15 rainbow steps at 15 tints) 225; -5 (a rainbow
// of 225 steps) 225; 7 and 8 (the 6 x 6 x 6 cube) 216; any other scheme the
// colour count passed in, limited to 0..254 so that the table can hold it.
// packed_colours (scheme 3) holds 16 words 0x00BBGGRR; missing words give
// black. The user colours are passed through to the colour calculator.
std::int32_t build_colour_table(std::int32_t scheme, LightDirection light, std::span<const std::int32_t> packed_colours,
                      const UserColours& user, std::int32_t colour_count, ColourTableView table);

}  // namespace gridlib
