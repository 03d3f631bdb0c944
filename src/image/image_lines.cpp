// The shared line loop of the image writers.
#include "image/image_lines.h"

#include "gridlib.h"
#include "progress/progress.h"

#include "threads/block_pass.h"

#include <algorithm>
#include <memory>
#include <vector>

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

namespace {

// Lines are read, painted and written in blocks of about this many bytes
// of grid rows and image lines.
constexpr std::size_t kBlockBytes = 256 * 1024;

// The lines of one block: their grid rows and their pixels.
struct LineBlock {
    std::unique_ptr<float[]> rows;
    std::vector<std::byte> lines;  // zero at first: the padding stays so
    LinePainter paint;
    std::int64_t done = 0;  // lines painted, from the first on
    std::int32_t status = GRIDLIB_OK;
};

// The blocks of the image's lines: as many kept rows as fit the block size,
// or bands of image lines, each kept row repeated in them.
threads::BlockPlan line_plan(std::int64_t kept_rows, std::int64_t repeats, std::int64_t band_lines,
                             std::size_t row_bytes) {
    if (band_lines > 0) return threads::BlockPlan(kept_rows * repeats, band_lines);
    return threads::BlockPlan(kept_rows, row_bytes, kBlockBytes);
}

// The lines of the image and how a block of them is read and painted. A
// line of the plan is a kept row, or in bands, one of its repeats.
class LineRun {
public:
    LineRun(const working_grid::Reader& grid, std::int64_t rows, std::int32_t columns, const ImageScale& scale,
            LineOrder order, std::size_t line_bytes, std::int64_t band_lines)
        : grid_(grid), rows_(rows), columns_(static_cast<std::size_t>(columns)), scale_(scale), order_(order),
          line_bytes_(line_bytes), kept_rows_((rows - 1) / scale.step + 1),
          repeats_(band_lines > 0 ? scale.replication : 1),
          plan_(line_plan(kept_rows_, repeats_, band_lines, columns_ * sizeof(float) + line_bytes)) {}

    const threads::BlockPlan& plan() const { return plan_; }

    void make_buffers(LineBlock& block, const PainterMaker& make_painter) const {
        // Not initialised: a short file must not cost the touch of a huge buffer.
        // A band holds fewer kept rows than lines when they repeat: n lines
        // starting on the last repeat of a row reach (n - 2) / repeats + 2 rows.
        const std::int64_t lines = plan_.per_block();
        const std::int64_t kept = std::min(lines, (lines + repeats_ - 2) / repeats_ + 1);
        block.rows = std::make_unique_for_overwrite<float[]>(static_cast<std::size_t>(kept) * columns_);
        block.lines.assign(static_cast<std::size_t>(plan_.per_block()) * line_bytes_, std::byte{0});
        block.paint = make_painter();
    }

    // Reads and paints the lines of block b.
    void paint(std::int64_t b, LineBlock& block) const {
        const std::int64_t first = plan_.first(b), count = plan_.rows_in(b);
        const std::int64_t first_kept = first / repeats_, kept = (first + count - 1) / repeats_ - first_kept + 1;
        block.done = 0;
        block.status = GRIDLIB_OK;
        // With every row drawn, the rows of a block lie side by side in the
        // file: one read for all of them.
        const bool together = scale_.step == 1 && kept > 1;
        std::int64_t lowest = 0;
        if (together) {
            lowest = std::min(stored_row(first_kept), stored_row(first_kept + kept - 1));
            if (!grid_.read_rows_concurrently(lowest, {block.rows.get(), static_cast<std::size_t>(kept) * columns_}))
                return fail(block, GRIDLIB_IMAGE_GRID_UNREADABLE);
        }
        for (std::int64_t j = 0; j < count; ++j) {
            const std::span<std::byte> line(block.lines.data() + static_cast<std::size_t>(j) * line_bytes_,
                                            line_bytes_);
            const std::int64_t n = (first + j) / repeats_;
            if (j > 0 && n == (first + j - 1) / repeats_) {
                // A repeat of the line above.
                std::copy_n(line.data() - line_bytes_, line_bytes_, line.data());
                block.done = j + 1;
                continue;
            }
            const std::int64_t stored = stored_row(n);
            std::span<float> row(block.rows.get(), columns_);
            if (together) {
                row = {block.rows.get() + static_cast<std::size_t>(stored - lowest) * columns_, columns_};
            } else if (!grid_.read_rows_concurrently(stored, row)) {
                return fail(block, GRIDLIB_IMAGE_GRID_UNREADABLE);
            }
            if (!block.paint(rows_ - 1 - from_south(n), row, line)) return fail(block, GRIDLIB_IMAGE_GRID_UNREADABLE);
            block.done = j + 1;
        }
    }

    // The lines of block b, once painted without failure.
    PaintedBlock painted(std::int64_t b, const LineBlock& block) const {
        return {{block.lines.data(), static_cast<std::size_t>(block.done) * line_bytes_}, line_bytes_,
                scale_.replication / repeats_, b == plan_.blocks() - 1};
    }

private:
    // Sampling starts at the southern row: the kept rows are n x step rows
    // north of it, for n = 0 .. lines - 1.
    std::int64_t from_south(std::int64_t n) const {
        return (order_ == LineOrder::bottom_up ? n : kept_rows_ - 1 - n) * scale_.step;
    }
    std::int64_t stored_row(std::int64_t n) const {
        return grid_.north_first() ? rows_ - from_south(n) : from_south(n) + 1;
    }
    static void fail(LineBlock& block, std::int32_t status) { block.status = status; }

    const working_grid::Reader& grid_;
    const std::int64_t rows_;
    const std::size_t columns_;
    const ImageScale scale_;
    const LineOrder order_;
    const std::size_t line_bytes_;
    const std::int64_t kept_rows_;
    const std::int64_t repeats_;  // of each kept row in the plan's lines
    const threads::BlockPlan plan_;
};

}  // namespace

std::int64_t lines_per_block(std::int32_t columns, std::size_t line_bytes) {
    return threads::BlockPlan::rows_per_block(static_cast<std::size_t>(columns) * sizeof(float) + line_bytes,
                                              kBlockBytes);
}

std::int32_t write_lines(const working_grid::Reader& grid, std::int64_t rows, std::int32_t columns,
                         const ImageScale& scale, LineOrder order, std::size_t line_bytes, int threads,
                         LineSink& sink, const PainterMaker& make_painter) {
    const LineRun run(grid, rows, columns, scale, order, line_bytes, sink.band_lines());
    threads::BlockPass<LineBlock> pass(run.plan());
    pass.make_buffers(
        threads, [&](LineBlock& block) { run.make_buffers(block, make_painter); },
        [&](std::size_t slots) { sink.use_slots(slots); });
    progress::Reporter progress(progress::Phase::drawing, run.plan().rows());
    std::int32_t status = GRIDLIB_OK;
    threads::BlockStages<LineBlock> stages;
    stages.in_parallel = [&](std::int64_t b, LineBlock& block, std::size_t slot) {
        run.paint(b, block);
        if (block.status == GRIDLIB_OK) sink.prepare(run.painted(b, block), slot);
    };
    // A block that failed is not written: the file is not kept.
    stages.deliver = [&](std::int64_t b, LineBlock& block, std::size_t slot) {
        status = block.status;
        if (status == GRIDLIB_OK && !sink.write(run.painted(b, block), slot)) status = GRIDLIB_IMAGE_WRITE_FAILED;
        progress.advance(run.plan().first(b) + block.done);
        return status == GRIDLIB_OK;
    };
    pass.run(stages);
    return status;
}

}  // namespace gridlib::image
