// The one cap the image targets keep: an image that the writers would draw
// in full is kept small. Such an image has a working grid that holds every
// row the descriptor names, and sides and blocks that fit the format and the
// machine; drawing it only costs time (the output grows with the square of
// the enlargement). Every other image, of any size, is left to the writers,
// which must refuse it before they allocate for it.
#pragma once

#include "image/block_memory.h"
#include "image/image_file.h"
#include "platform/physical_memory.h"

#include <cstdint>
#include <string>

namespace gridlib::fuzz {

inline bool large_valid_image(const std::string& image, std::uint64_t file_size, std::int32_t columns,
                              std::int32_t rows, std::int32_t requested_width) {
    if (columns <= 0 || rows <= 0) return false;
    const std::uint64_t cells = std::uint64_t(columns) * std::uint64_t(rows);
    if (file_size < 512 + 4 * cells) return false;
    const image::ImageScale scale = image::image_scale(requested_width, columns);
    const std::int64_t width = scale.side(columns), height = scale.side(rows);
    if (double(width) * double(height) <= double(1 << 22)) return false;
    for (const auto pixels : {image::Pixels::palette_indices, image::Pixels::true_colour}) {
        const auto layout = image::ImageLayout::plan(image_format_of(image), width, height, pixels,
                                                     pixels == image::Pixels::true_colour ? 0 : 256);
        if (layout && image::least_block_memory(*layout, columns, scale) <= platform::usable_memory()) return true;
    }
    return false;
}

}  // namespace gridlib::fuzz
