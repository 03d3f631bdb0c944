// The shaded relief writer: draws a working grid with each cell's colour
// chosen by its value and its brightness by the light falling on its slope,
// which a gradient file gives as two slope codes per cell: an 8-bit image
// whose palette holds 15 value steps at each of 15 brightness steps, or a
// true-colour image coloured by the tinted rainbow; BMP, PNG or TIFF, enlarged or
// reduced like the palette image to approach a requested line width.
#pragma once

#include "colour/colour_table.h"
#include "descriptor/grid_descriptor.h"
#include "image/relief_shading.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace gridlib {

struct ShadedColours {
    unsigned bits_per_pixel = 24;  // 8 or 24
    // The colour order and the slope steps reversed.
    bool inverted = false;
    // The colour step of a bin is its level from the table (kLevels entries) less one.
    bool through_levels = false;
    std::span<const std::int32_t> level_table;
    // 8-bit only: the palette, colour_count (1..256) entries of the table.
    std::int32_t colour_count = 0;
    std::optional<ConstColourTableView> colour_table;
    // 24-bit only: the colour of each step (3 x kLevels values 0..255, the
    // reds first), which the brightness darkens or lightens as it tints the
    // rainbow; empty for the tinted rainbow.
    std::span<const std::int32_t> step_colours;
};

// Draws the working grid at working_path, lit through the gradient file at
// gradient_path, into the image file image_path: a PNG when its name ends
// in ".png" (any case), a TIFF when in ".tif" or ".tiff", otherwise a BMP. The descriptor supplies the size,
// the colour limits colour_min() < colour_max() and the requested width
// image_width() (<= 0: one pixel per cell), which is left as it is, the
// descriptor being only read. A valid value gets
// the colour step 0..4095 of its bin counted from 0; between the lowest bin
// and the upper limit the step is taken from the level table when asked
// for, entry k (from 1) for bin k (from 0). 8-bit pixels are palette index
// (brightness x 15 / 64) x 15 + step x 15 / 4096 + 1, so 1..225; 24-bit
// pixels are the tinted rainbow at fraction step / 4095 and tint
// (brightness - 31.5) / 35. Null cells and cells without shading data are
// palette index 0, or white; in a PNG or TIFF they are transparent, and an
// 8-bit PNG's or TIFF's palette holds at least the 226 entries its indices reach (beyond
// colour_count, from the colour table too). The image appears only when it
// is complete; refusals create nothing. Allocates a block of grid rows and
// image lines and a gradient record per thread, and 64 KB of tables for the
// call (for 24-bit, 1 MB of colours more).
// Returns 0, GRIDLIB_REFUSED (a byte image, limits not ascending, arguments
// out of range) or one of the GRIDLIB_IMAGE_ statuses; a gradient file that
// cannot be read or is shorter than the grid is GRIDLIB_IMAGE_GRID_UNREADABLE.
std::int32_t write_shaded_image(const std::string& working_path, const std::string& gradient_path,
                                const std::string& image_path, DescriptorView d, const ShadedColours& colours,
                                const Lighting& light, std::span<const float, kSlopeSteps> slope_table);

}  // namespace gridlib
