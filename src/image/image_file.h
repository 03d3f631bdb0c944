// Everything an image writer does around its painter: the working grid
// opened, one grid row and one image line allocated, the headers written
// under a temporary name beside the output, every line painted and written,
// and the file renamed into place when it is complete.
#pragma once

#include "colour/colour_table.h"
#include "image/bmp_format.h"
#include "image/image_lines.h"

#include <cstdint>
#include <optional>
#include <string>

namespace gridlib::image {

// Draws the working grid of columns x rows cells at working_path into the
// image file image_path with the headers of `layout`, followed for a palette
// image by the first layout.palette_entries entries of the colour table. On
// failure nothing is left behind and an existing image stays as it was.
// Returns 0 or one of the GRIDLIB_IMAGE_ statuses.
std::int32_t write_image(const std::string& working_path, const std::string& image_path, std::int32_t columns,
                         std::int64_t rows, const ImageScale& scale, const bmp::Layout& layout,
                         const std::optional<ConstColourTableView>& palette, const LinePainter& paint);

}  // namespace gridlib::image
