// The palette image writer: draws a working grid as an 8-bit palette image,
// BMP, PNG or TIFF, in which every valid cell gets a colour chosen by its value
// and null cells get palette index 0 (transparent in a PNG, no data in a
// TIFF), enlarged by pixel
// replication or reduced by keeping every n-th row and column to approach a
// requested line width.
#pragma once

#include "colour/colour_table.h"
#include "descriptor/grid_descriptor.h"
#include "image/image_format.h"
#include "image/image_lines.h"

#include <cstdint>
#include <span>
#include <string>

namespace gridlib {

// Draws the working grid at working_path into the image file image_path in
// the given format; the palette indices are the same in both. The
// descriptor supplies the size, the colour limits colour_min() < colour_max()
// and the requested width image_width(), which is reset to 0. Values go into
// the kLevels bins between the limits, through the level table for mapping
// mode +-2 (which then needs kLevels entries), inverted for a negative mode,
// and onto the colour_count (1..256) palette entries, of which
// 2 .. colour_count - 1 are the data colours. The image appears only when it is complete; refusals
// create nothing. Allocates a block of grid rows and image lines per thread.
// Returns 0, GRIDLIB_REFUSED (a byte image, limits not ascending, arguments
// out of range), one of the GRIDLIB_IMAGE_ statuses, or GRIDLIB_NO_ROOM (a
// BMP its file system has no room for).
std::int32_t write_palette_image(const std::string& working_path, const std::string& image_path, DescriptorView d,
                                 std::int32_t mapping_mode, std::span<const std::int32_t> level_table,
                                 std::int32_t colour_count, ConstColourTableView colour_table, ImageFormat format);

}  // namespace gridlib
