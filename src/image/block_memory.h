// What one thread holds while it paints and stores one block of an image:
// a run needs at least that much, however few threads it falls back to, so
// an image whose single block could never be held is refused before it is
// begun, as a BMP beyond its format's size fields is.
#pragma once

#include "image/image_file.h"
#include "image/image_lines.h"

#include <cstdint>

namespace gridlib::image {

// The bytes of one block's grid rows and painted lines (for a TIFF, a row of
// tiles), and the least its compressor holds for the block (a PNG's stream
// grows with the replication), for a grid of `columns` >= 1 columns drawn
// at `scale`.
std::uint64_t least_block_memory(const ImageLayout& layout, std::int32_t columns, const ImageScale& scale);

}  // namespace gridlib::image
