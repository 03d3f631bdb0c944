// The gradient writer. The rows are coded in blocks on several threads: a
// block reads its rows and the row beyond each end of it, codes each row from
// the window of three rows around it (north of it, the row, south of it), and
// the calling thread writes the blocks' records in order.
#include "image/gradient_writer.h"

#include "grid/working_grid.h"
#include "image/gradient_file.h"
#include "image/slope_codes.h"
#include "platform/file.h"
#include "platform/file_system_room.h"
#include "progress/progress.h"
#include "threads/block_pass.h"
#include "threads/thread_count.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <optional>
#include <vector>

namespace gridlib {
namespace {

// The differences of a row are scaled by these: the exaggeration over twice
// the spacing for the central difference, over the spacing for a one-sided one.
struct Scales {
    double central, one_sided;
};

// The fall (a rise, negative) across a cell of value v towards the side of
// `after`: the central difference of its neighbours when both hold data,
// else the one-sided one with the cell itself; nothing when neither does.
std::optional<double> fall(float before, float v, float after, const Scales& s) {
    const bool has_before = is_valid(before), has_after = is_valid(after);
    if (has_before && has_after) return (double(before) - double(after)) * s.central;
    if (has_after) return (double(v) - double(after)) * s.one_sided;
    if (has_before) return (double(before) - double(v)) * s.one_sided;
    return std::nullopt;
}

// The three rows around the current one; a row beyond the grid's edge is all null.
struct RowWindow {
    std::span<const float> north, current, south;
};

// Codes a cell from its falls towards the east and the north; differences
// of infinite values are no slope.
void put_codes(double fall_east, double fall_north, const SlopeCoder& coder, std::int16_t& first,
               std::int16_t& second) {
    const bool finite = std::isfinite(fall_east) && std::isfinite(fall_north);
    first = finite ? coder.code(fall_east) : kNoShadingCode;
    second = finite ? coder.code(fall_north) : kNoShadingCode;
}

// The codes of one row: the first codes, then the second codes. A surface
// falling towards the east leans its normal east: the first code.
void code_row(const RowWindow& w, const Scales& x, const Scales& y, const SlopeCoder& coder,
              std::span<std::int16_t> record) {
    const std::size_t n = w.current.size();
    std::int16_t* const first = record.data();
    std::int16_t* const second = record.data() + n;
    for (std::size_t c = 0; c < n; ++c) {
        const float v = w.current[c];
        const float west = c > 0 ? w.current[c - 1] : kNullValue;
        const float east = c + 1 < n ? w.current[c + 1] : kNullValue;
        const float north = w.north[c], south = w.south[c];
        // Most cells have data all round: central differences both ways.
        if (is_valid(v) && is_valid(west) && is_valid(east) && is_valid(north) && is_valid(south)) {
            put_codes((double(west) - double(east)) * x.central, (double(south) - double(north)) * y.central, coder,
                      first[c], second[c]);
            continue;
        }
        const auto fall_east = fall(west, v, east, x);
        const auto fall_north = fall(south, v, north, y);
        if (is_valid(v) && fall_east && fall_north) {
            put_codes(*fall_east, *fall_north, coder, first[c], second[c]);
        } else {
            first[c] = second[c] = kNoShadingCode;
        }
    }
}

bool usable(DescriptorView d, const std::string& working_path, const std::string& gradient_path,
            float exaggeration) {
    auto positive = [](float spacing) { return spacing > 0.0f && std::isfinite(spacing); };
    return !is_byte_image(d.format()) && d.columns() > 0 && d.rows() > 0 && positive(d.column_spacing()) &&
           positive(d.row_spacing()) && std::isfinite(exaggeration) && working_path != gradient_path &&
           !platform::same_file(working_path, gradient_path);
}

// Rows are read and coded in blocks of about this many bytes of grid rows and records.
constexpr std::size_t kBlockBytes = 512 * 1024;

// One block of rows in its slot: its grid rows with the row beyond each end,
// and its records.
struct SlopeBlock {
    std::unique_ptr<float[]> cells;
    std::unique_ptr<std::int16_t[]> records;
    std::int32_t status = GRIDLIB_OK;
};

class SlopeRun {
public:
    SlopeRun(const working_grid::Reader& grid, std::int64_t rows, std::int32_t columns, float exaggeration,
             DescriptorView d)
        : grid_(grid), rows_(rows), width_(static_cast<std::size_t>(columns)),
          x_{exaggeration / (2 * double(d.column_spacing())), exaggeration / double(d.column_spacing())},
          y_{exaggeration / (2 * double(d.row_spacing())), exaggeration / double(d.row_spacing())},
          plan_(rows, width_ * 8, kBlockBytes), beyond_(width_, kNullValue) {}

    const SlopeCoder& coder() const { return coder_; }
    const threads::BlockPlan& plan() const { return plan_; }

    void make_buffers(SlopeBlock& block) const {
        const auto per_block = static_cast<std::size_t>(plan_.per_block());
        // Not initialised: every row used is read first, every record coded.
        block.cells = std::make_unique_for_overwrite<float[]>((per_block + 2) * width_);
        block.records = std::make_unique_for_overwrite<std::int16_t[]>(per_block * 2 * width_);
    }

    // Reads the rows of block b, from the one north of it to the one south
    // of it as far as the grid has them, in one read, and codes them.
    void code(std::int64_t b, SlopeBlock& block) const {
        const std::int64_t first = plan_.first(b), count = plan_.rows_in(b);
        const std::int64_t north = std::max<std::int64_t>(0, first - 1);
        const std::int64_t south = std::min(rows_ - 1, first + count);
        // Rows are counted from the northern one; the file stores them either way round.
        const std::int64_t lowest_stored = grid_.north_first() ? north + 1 : rows_ - south;
        const auto read = static_cast<std::size_t>(south - north + 1) * width_;
        block.status = grid_.read_rows_concurrently(lowest_stored, {block.cells.get(), read})
                           ? GRIDLIB_OK
                           : GRIDLIB_GRADIENT_GRID_UNREADABLE;
        if (block.status != GRIDLIB_OK) return;
        auto row = [&](std::int64_t r) -> std::span<const float> {
            if (r < 0 || r >= rows_) return beyond_;
            const std::int64_t at = grid_.north_first() ? r - north : south - r;
            return {block.cells.get() + static_cast<std::size_t>(at) * width_, width_};
        };
        for (std::int64_t r = first; r < first + count; ++r) {
            const std::span<std::int16_t> record(block.records.get() + static_cast<std::size_t>(r - first) * 2 * width_,
                                                 2 * width_);
            code_row({row(r - 1), row(r), row(r + 1)}, x_, y_, coder_, record);
        }
    }

    // The records of block b, its rows one after another.
    std::span<const std::int16_t> records(std::int64_t b, const SlopeBlock& block) const {
        return {block.records.get(), static_cast<std::size_t>(plan_.rows_in(b)) * 2 * width_};
    }

private:
    const working_grid::Reader& grid_;
    const std::int64_t rows_;
    const std::size_t width_;
    const Scales x_, y_;
    const SlopeCoder coder_;
    const threads::BlockPlan plan_;
    const std::vector<float> beyond_;  // a row of null cells beyond the northern and southern edges
};

}  // namespace

std::int32_t write_gradient_file(const std::string& working_path, const std::string& gradient_path,
                                 DescriptorView d, float exaggeration, std::span<float, kSlopeSteps> slope_table) {
    if (!usable(d, working_path, gradient_path, exaggeration)) return GRIDLIB_REFUSED;
    const std::int32_t columns = d.columns();
    const std::int64_t rows = d.rows();
    auto grid = working_grid::Reader::open(working_path, columns);
    // Checked before the rows are allocated and the gradient file is made.
    if (!grid || !grid->holds_rows(rows)) return GRIDLIB_GRADIENT_GRID_UNREADABLE;
    if (platform::room_shortage(gradient_path, GradientFileWriter::file_bytes(columns, rows),
                                platform::Writing::in_place))
        return GRIDLIB_NO_ROOM;
    try {
        const SlopeRun run(*grid, rows, columns, exaggeration, d);
        std::copy(run.coder().sines().begin(), run.coder().sines().end(), slope_table.begin());
        threads::BlockPass<SlopeBlock> pass(run.plan());
        pass.make_buffers(threads::thread_count(), [&](SlopeBlock& block) { run.make_buffers(block); });
        // Made once the first rows are read, so that a grid unreadable from
        // the start leaves no file behind.
        std::optional<GradientFileWriter> gradient;
        progress::Reporter progress(progress::Phase::slopes, rows);
        std::int32_t status = GRIDLIB_OK;
        threads::BlockStages<SlopeBlock> stages;
        stages.in_parallel = [&](std::int64_t b, SlopeBlock& block, std::size_t) { run.code(b, block); };
        stages.deliver = [&](std::int64_t b, SlopeBlock& block, std::size_t) {
            status = block.status;
            if (status != GRIDLIB_OK) return false;
            if (!gradient) gradient = GradientFileWriter::create(gradient_path, columns);
            if (!gradient || !gradient->write_rows(run.records(b, block))) {
                status = GRIDLIB_GRADIENT_WRITE_FAILED;
                return false;
            }
            progress.advance(run.plan().first(b) + run.plan().rows_in(b));
            return true;
        };
        pass.run(stages);
        if (status != GRIDLIB_OK) return status;
        return gradient->close() ? GRIDLIB_OK : GRIDLIB_GRADIENT_WRITE_FAILED;
    } catch (const std::bad_alloc&) {
        return GRIDLIB_GRADIENT_WRITE_FAILED;
    }
}

}  // namespace gridlib
