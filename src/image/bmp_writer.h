// The palette image writer: draws a working grid as an 8-bit palette BMP in
// which every valid cell gets a colour chosen by its value and null cells
// get palette index 0, enlarged by pixel replication or reduced by keeping
// every n-th row and column to approach a requested line width.
#pragma once

#include "colour/colour_table.h"
#include "descriptor/grid_descriptor.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace gridlib {

namespace image_status {
inline constexpr std::int32_t ok = 0;
inline constexpr std::int32_t refused = -1;          // byte image, limits not ascending, nothing to draw
inline constexpr std::int32_t too_large = -2;        // the file would not fit the BMP size fields
inline constexpr std::int32_t write_failed = -3;     // the image could not be created or written
inline constexpr std::int32_t grid_unreadable = -4;  // the working grid could not be opened or read
}  // namespace image_status

// How a requested line width is approached: each cell drawn as a
// replication x replication block, or only every step-th row and column
// drawn. At most one of the two exceeds 1.
struct ImageScale {
    std::int64_t replication = 1;
    std::int64_t step = 1;
};

// The scale for a requested width (<= 0: one pixel per column) of a grid
// with `columns` >= 1 columns, the ratio rounded to the nearest whole number.
ImageScale image_scale(std::int32_t requested_width, std::int32_t columns);

// Draws the working grid named by working_name_text into the BMP file named
// by image_name_text (both fixed-length texts). The descriptor supplies the
// size, the colour limits colour_min() < colour_max() and the requested
// width image_width(), which is reset to 0. Values go into the kLevels bins
// between the limits, through the level table for mapping mode +-2 (which
// then needs kLevels entries), inverted for a negative mode, and onto the
// colour_count (1..256) palette entries, of which 2 .. colour_count - 1 are
// the data colours. The image appears only when it is complete; refusals
// create nothing. Allocates one grid row and one image line for the call.
// Returns an image_status.
std::int32_t GRD2BMP(std::string_view working_name_text, std::string_view image_name_text, DescriptorView d,
                     std::int32_t mapping_mode, std::span<const std::int32_t> level_table,
                     std::int32_t colour_count, ConstColourTableView colour_table);

}  // namespace gridlib
