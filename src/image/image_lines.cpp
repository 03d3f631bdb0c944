// The shared line loop of the image writers.
#include "image/image_lines.h"

#include "gridlib.h"
#include "progress/progress.h"

#include <algorithm>

namespace gridlib::image {

ImageScale image_scale(std::int32_t requested_width, std::int32_t columns) {
    ImageScale s;
    if (requested_width <= 0 || columns <= 0) return s;
    if (requested_width > columns) {
        s.replication = std::max<std::int64_t>(1, static_cast<std::int64_t>(double(requested_width) / columns + 0.5));
    } else {
        s.step = std::max<std::int64_t>(1, static_cast<std::int64_t>(double(columns) / requested_width + 0.5));
    }
    return s;
}

std::int32_t write_lines(working_grid::Reader& grid, std::int64_t rows, const ImageScale& scale,
                         std::span<float> row, std::span<std::byte> line, bmp::Sink& sink,
                         const LinePainter& paint) {
    // The bottom image line is the southern row, and sampling starts there.
    const bool north_first = grid.north_first();
    progress::Reporter progress(progress::Phase::drawing, (rows - 1) / scale.step + 1);
    for (std::int64_t i = 0; i < rows; i += scale.step) {
        const std::int64_t stored_row = north_first ? rows - i : i + 1;
        if (!grid.read_row(stored_row, row)) return GRIDLIB_IMAGE_GRID_UNREADABLE;
        progress.advance(i / scale.step + 1);
        if (!paint(rows - 1 - i, row, line)) return GRIDLIB_IMAGE_GRID_UNREADABLE;
        for (std::int64_t r = 0; r < scale.replication; ++r)
            if (!sink.write(line)) return GRIDLIB_IMAGE_WRITE_FAILED;
    }
    return GRIDLIB_OK;
}

}  // namespace gridlib::image
