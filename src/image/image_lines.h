// The line loop every image writer shares: the working grid is read row by
// row in the order the image file stores its lines (a BMP from the bottom
// line up, a PNG from the top down), each kept row is painted into one image
// line by the writer's painter, and the line is written as often as the
// scale replicates it. A writer supplies only its painter and its headers.
#pragma once

#include "grid/working_grid.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace gridlib::image {

// How a requested line width is approached: each cell drawn as a
// replication x replication block, or only every step-th row and column
// drawn. At most one of the two exceeds 1.
struct ImageScale {
    std::int64_t replication = 1;
    std::int64_t step = 1;

    // The image's side for a grid side of n >= 1 cells: a decimated side
    // keeps its first and every step-th cell after it.
    std::int64_t side(std::int64_t n) const { return step > 1 ? (n - 1) / step + 1 : n * replication; }
};

// The scale for a requested width (<= 0: one pixel per column) of a grid
// with `columns` >= 1 columns, the ratio rounded to the nearest whole number.
ImageScale image_scale(std::int32_t requested_width, std::int32_t columns);

// Turns one working-grid row into the pixels of one image line; the line's
// padding is zero and stays untouched. from_north is the row's place counted
// from the northern row (0 for it), for painters that read data of their own
// for each row; they return false when that data could not be read.
using LinePainter =
    std::function<bool(std::int64_t from_north, std::span<const float> row, std::span<std::byte> line)>;

// Receives the image lines in the order the file stores them.
class LineSink {
public:
    virtual ~LineSink() = default;
    // False when the line could not be stored.
    virtual bool write_line(std::span<const std::byte> line) = 0;
};

enum class LineOrder { bottom_up, top_down };

// Paints and writes every line of the image of a working grid of `rows`
// rows in the given order; row holds one grid row, line one image line
// with its padding. Whichever the order, sampling keeps the southern row
// and every step-th row north of it. Returns 0,
// GRIDLIB_IMAGE_GRID_UNREADABLE (a grid row, or the painter's own data) or
// GRIDLIB_IMAGE_WRITE_FAILED.
std::int32_t write_lines(working_grid::Reader& grid, std::int64_t rows, const ImageScale& scale, LineOrder order,
                         std::span<float> row, std::span<std::byte> line, LineSink& sink, const LinePainter& paint);

}  // namespace gridlib::image
