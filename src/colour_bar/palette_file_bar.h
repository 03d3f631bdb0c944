// The colour bar of a palette file's image: the file's colours by value
// over the grid's data range, labelled at the file's own values.
#pragma once

#include "colour/palette_file.h"
#include "colour_bar/bar_description.h"

namespace gridlib::colour_bar {

// The bar of the image that write_value_colour_image draws of a grid whose
// data range is lower..upper: every value in the range coloured as the
// image colours it (ramps between stops, flat where two stops agree, the
// colours below and above the stops where the range reaches beyond them),
// on a linear axis, labelled at the stops' values (percentages of the range
// resolved) that lie within it, or at the limits when none does. The null
// swatch takes the file's null colour, or else white. A grid of one value
// gets the range of that value to the next 32-bit real above it.
BarDescription describe_palette_file(const PaletteFile& palette, double lower, double upper);

}  // namespace gridlib::colour_bar
