// The line loop every image writer shares: the working grid is read in the
// order the image file stores its lines (a BMP from the bottom line up, a
// PNG from the top down), each kept row is painted into one image line by
// the writer's painter, and the line is written as often as the scale
// replicates it. Blocks of lines are read and painted on several threads
// and written in order on the calling one. A writer supplies only its
// painters and its headers.
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
// Makes a painter. Each thread paints with a painter of its own, so that a
// painter may keep buffers; what painters share they must only read.
using PainterMaker = std::function<LinePainter()>;

// The lines of one block as painted, in the order the file stores them,
// each to be stored `replication` times (1 for a sink of bands).
struct PaintedBlock {
    std::span<const std::byte> lines;
    std::size_t line_bytes = 0;
    std::int64_t replication = 1;
    bool last = false;  // the image's last block
};

// Receives the image lines, a block at a time, in the order the file
// stores them. Blocks are painted in slots (threads::run_ordered): at most
// that many are between their painting and their writing, and a sink that
// prepares blocks keeps a set of buffers for each slot.
class LineSink {
public:
    virtual ~LineSink() = default;
    // 0: blocks hold whole painted rows, each to be stored `replication`
    // times, as many as fit the loop's block size. n > 0: every block holds
    // n image lines (the last block fewer), the rows already repeated, so
    // that a tiled format gets one row of tiles a block.
    virtual std::int64_t band_lines() const { return 0; }
    // Before the first block: the number of slots. May throw std::bad_alloc.
    virtual void use_slots(std::size_t) {}
    // On the thread that painted the block, several blocks at once: work on
    // it that need not wait for the blocks before it (a PNG compresses it
    // there). May throw std::bad_alloc.
    virtual void prepare(const PaintedBlock&, std::size_t /*slot*/) {}
    // On the calling thread, in order: stores the block prepared in the
    // slot. False when it could not be stored.
    virtual bool write(const PaintedBlock& block, std::size_t slot) = 0;
};

enum class LineOrder { bottom_up, top_down };

// The lines of every block of an image of lines of line_bytes bytes from a
// grid of `columns` columns: at least one, and the same whatever the thread
// count, so that neither a PNG's stream nor the file depends on it.
std::int64_t lines_per_block(std::int32_t columns, std::size_t line_bytes);

// Paints and writes every line of the image of a working grid of `rows`
// rows of `columns` values in the given order on `threads` threads (fewer
// when the buffers of that many cannot be made); a line holds line_bytes
// bytes with its padding. Whichever the order, sampling keeps the southern
// row and every step-th row north of it. Returns 0,
// GRIDLIB_IMAGE_GRID_UNREADABLE (a grid row, or the painter's own data) or
// GRIDLIB_IMAGE_WRITE_FAILED. May throw std::bad_alloc.
std::int32_t write_lines(const working_grid::Reader& grid, std::int64_t rows, std::int32_t columns,
                         const ImageScale& scale, LineOrder order, std::size_t line_bytes, int threads,
                         LineSink& sink, const PainterMaker& make_painter);

}  // namespace gridlib::image
