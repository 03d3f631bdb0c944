// The palette file writer: draws a working grid as a true-colour image, BMP,
// PNG or TIFF, each cell coloured by its value through a palette file's
// stops, at the width the descriptor asks for.
#pragma once

#include "colour/palette_file.h"
#include "descriptor/grid_descriptor.h"

#include <cstdint>
#include <string>

namespace gridlib {

// Draws the working grid at working_path into the image file image_path: a
// PNG (red, green, blue, alpha) when its name ends in ".png" (any case), a
// TIFF (the same) when in ".tif" or ".tiff", otherwise a 24-bit BMP, which
// has no alpha. A valid value takes ValueColours' colour, the percentages
// of the palette taken of the descriptor's data range; a null cell the
// palette's null colour, or else white, transparent where there is alpha.
// A PNG none of whose colours has alpha is stored as red, green and blue
// with a key colour (one no value is given) for transparent null cells.
// d.image_width() asks for a line width as the palette writer takes it
// (image/image_lines.h image_scale); it is only read.
// The image appears only when it is complete; refusals create nothing.
// Returns 0, GRIDLIB_REFUSED (a byte image, no cells, a palette without
// stops) or one of the GRIDLIB_IMAGE_ statuses.
std::int32_t write_value_colour_image(const std::string& working_path, const std::string& image_path,
                                      DescriptorView d, const PaletteFile& palette);

}  // namespace gridlib
