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

std::int32_t write_lines(working_grid::Reader& grid, std::int64_t rows, const ImageScale& scale, LineOrder order,
                         std::span<float> row, std::span<std::byte> line, LineSink& sink, const LinePainter& paint) {
    const bool north_first = grid.north_first();
    // Sampling starts at the southern row: the kept rows are n x step rows
    // north of it, for n = 0 .. lines - 1.
    const std::int64_t lines = (rows - 1) / scale.step + 1;
    progress::Reporter progress(progress::Phase::drawing, lines);
    for (std::int64_t n = 0; n < lines; ++n) {
        const std::int64_t from_south = (order == LineOrder::bottom_up ? n : lines - 1 - n) * scale.step;
        const std::int64_t stored_row = north_first ? rows - from_south : from_south + 1;
        if (!grid.read_row(stored_row, row)) return GRIDLIB_IMAGE_GRID_UNREADABLE;
        progress.advance(n + 1);
        if (!paint(rows - 1 - from_south, row, line)) return GRIDLIB_IMAGE_GRID_UNREADABLE;
        for (std::int64_t r = 0; r < scale.replication; ++r)
            if (!sink.write_line(line)) return GRIDLIB_IMAGE_WRITE_FAILED;
    }
    return GRIDLIB_OK;
}

}  // namespace gridlib::image
