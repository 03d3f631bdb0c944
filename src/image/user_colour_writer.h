// The user colour writer: draws a working grid as a true-colour image, BMP,
// PNG or TIFF, whose colours come from the caller's user colour table, one pixel
// per cell.
#pragma once

#include "colour/colour_table.h"
#include "descriptor/grid_descriptor.h"

#include <cstdint>
#include <span>
#include <string>

namespace gridlib {

// Draws the working grid at working_path into the image file image_path: a
// PNG when its name ends in ".png" (any case), a TIFF when in ".tif" or
// ".tiff", otherwise a BMP. The descriptor supplies the size and the colour
// limits colour_min() < colour_max(). A valid value gets the level 1..4096 of its bin, through the
// level table for mapping mode +-2 (which then needs kLevels entries),
// inverted for a negative mode, exactly as in the palette writer. Its colour:
// with user.count > 0, the rainbow scheme's interpolation of the first
// user.count user colours (components 0..1, at most kLevels of them read) at
// fraction (level - 1) / 4095, each component x 255 truncated; otherwise the
// user colour of row level, each component 0..255 truncated to a whole
// number whose low byte is taken. Null cells are white, and transparent in
// a PNG or TIFF. The image appears only when it is complete; refusals create
// nothing. Allocates a block of grid rows and image lines per thread. Returns
// 0, GRIDLIB_REFUSED (a byte image, limits not ascending, arguments out of
// range) or one of the GRIDLIB_IMAGE_ statuses.
std::int32_t write_user_colour_image(const std::string& working_path, const std::string& image_path,
                                     DescriptorView d, std::int32_t mapping_mode,
                                     std::span<const std::int32_t> level_table, const UserColours& user);

}  // namespace gridlib
