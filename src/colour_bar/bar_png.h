// The colour bar as a PNG: the layout rasterised, its texts drawn by
// FreeType, written through libpng as the image writers write theirs.
#pragma once

#include "colour_bar/bar_description.h"
#include "platform/file.h"

#include <cstdint>

namespace gridlib::colour_bar {

// Writes the PNG of the bar to the open file. Returns 0,
// GRIDLIB_FONT_MISSING when a DejaVu font cannot be loaded, or
// GRIDLIB_IMAGE_WRITE_FAILED. May throw std::bad_alloc.
std::int32_t write_bar_png(const BarDescription& bar, platform::File& file);

}  // namespace gridlib::colour_bar
