// Reading a grid, within a map window and with column and row steps, into the
// working grid file: the format's driver plans the reads, the stored rows the
// window needs are visited in file order, and the kept cells of each are
// written to their place in the working grid.
#include "grid/grid_reader.h"

#include "formats/driver.h"
#include "grid/statistics.h"
#include "grid/working_grid.h"
#include "platform/file.h"
#include "platform/file_system_room.h"
#include "progress/progress.h"

#include "threads/ordered_run.h"
#include "threads/thread_count.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <vector>

namespace gridlib {
namespace {

using formats::Status;
using rows::IndexRange;

// The working grid's size, extent and spacing: those of the kept cells.
struct WorkingExtent {
    std::int32_t columns = 0, rows = 0;
    float west = 0, east = 0, south = 0, north = 0;
    float column_spacing = 0, row_spacing = 0;

    working_grid::Geometry geometry() const { return {columns, rows, column_spacing, row_spacing, west, south}; }
};

WorkingExtent working_extent(const DescriptorView& d, const IndexRange& columns, const IndexRange& rows) {
    WorkingExtent e;
    e.columns = columns.count();
    e.rows = rows.count();
    e.column_spacing = d.column_spacing() * static_cast<float>(columns.step);
    e.row_spacing = d.row_spacing() * static_cast<float>(rows.step);
    e.west = grid::coordinate_of(d.west_x(), d.column_spacing(), columns.first);
    e.east = grid::coordinate_of(d.west_x(), d.column_spacing(), columns.last);
    e.south = grid::coordinate_of(d.south_y(), d.row_spacing(), rows.first);
    e.north = grid::coordinate_of(d.south_y(), d.row_spacing(), rows.last);
    return e;
}

// Rows are read, converted and written in blocks of about this many values:
// few system calls and little coordination between threads, yet the blocks
// of all threads stay in the processors' caches.
constexpr std::size_t kBlockValues = 32 * 1024;

// Moves the values of the kept columns of a row of n values at `from` to
// `to` (to <= from). Forward: value j comes from index j * step + first - 1 >= j.
void keep_columns(const float* from, float* to, const IndexRange& columns) {
    const auto step = static_cast<std::size_t>(columns.step);
    const auto first = static_cast<std::size_t>(columns.first - 1);
    const auto count = static_cast<std::size_t>(columns.count());
    if (step == 1) {
        if (to != from + first) std::memmove(to, from + first, count * sizeof(float));
        return;
    }
    for (std::size_t j = 0; j < count; ++j) to[j] = from[j * step + first];
}

// Where the stored rows of the input go: the grid row of each (1 = south),
// whether the window keeps it, and the working row it becomes (1 = north).
struct RowMap {
    std::int64_t stored_rows;
    bool north_first;
    IndexRange rows;

    std::int64_t grid_row(std::int64_t k) const { return north_first ? stored_rows - k + 1 : k; }
    bool keeps(std::int64_t k) const { return rows.keeps(grid_row(k)); }
    std::int64_t working_row(std::int64_t k) const { return rows.count() - rows.position(grid_row(k)) + 1; }
};

// What every way of reading shares: the rules, the window, the statistics,
// the working grid and the progress.
struct Copy {
    const rows::ReadPlan& plan;
    RowMap map;
    IndexRange columns;
    std::size_t stored_columns;  // values per stored row
    working_grid::Writer& out;
    grid::RunningStatistics& stats;
    progress::Reporter& progress;

    std::size_t working_columns() const { return static_cast<std::size_t>(columns.count()); }
    // Converts a stored row in place and moves its kept values to `to`.
    std::span<float> convert(std::span<float> row, float* to) const {
        plan.rules.apply(row);
        keep_columns(row.data(), to, columns);
        return {to, working_columns()};
    }
    // Writes working rows s, s + 1, ...; an input too short for its grid
    // fails at some row all the same, so its rows are not written: a grid
    // whose southern row comes first would otherwise put that row at the far
    // end of a vast working file.
    bool write(std::int64_t s, std::span<const float> values) const {
        return !plan.can_be_complete || values.empty() || out.write_rows(s, values);
    }
};

// A block of stored rows visited one after another. Its kept rows lie in
// `values` in working order (their working rows are consecutive), first
// as read, `stored_columns` apart, then converted, `working_columns` apart.
struct RowBlock {
    std::unique_ptr<float[]> values;  // the kept rows, then one for a row not kept
    std::unique_ptr<std::byte[]> scratch;
    std::unique_ptr<grid::RowSums[]> sums;  // of the kept rows, in working order
    std::int64_t first = 0;     // the first stored row
    std::int64_t visits = 0;    // stored rows visited
    std::int64_t kept = 0;      // of which kept
    std::int64_t lowest = 0;    // the lowest working row among them
    std::int64_t read = 0;      // stored rows read, from the first on
    Status status = 0;          // the failure of the row after them

    std::size_t place(const Copy& c, std::int64_t k) const {
        return static_cast<std::size_t>(c.map.working_row(k) - lowest);
    }
};

// The kept rows of the first `read` visits of a block: their places (in
// working order) and their lowest working row.
struct KeptRange {
    std::size_t from = 0, to = 0;
    std::int64_t working_row = 0;
};

class BlockedCopy {
public:
    BlockedCopy(const Copy& c, rows::StoredRows visit, std::int64_t visit_step, int threads)
        : c_(c), visit_(visit), step_(visit_step),
          visits_((visit.last - visit.first) / visit_step + 1),
          rows_per_block_(static_cast<std::int64_t>(std::max<std::size_t>(1, kBlockValues / c.stored_columns))),
          blocks_((visits_ + rows_per_block_ - 1) / rows_per_block_), threads_(threads) {}

    Status run(rows::RowSource& source) {
        const rows::ConcurrentRows* concurrent = source.concurrent();
        threads_ = threads::threads_with_buffers(threads_, [&](std::size_t slots) { allocate(slots, concurrent); });
        threads::Stages stages;
        if (concurrent) {
            stages.in_parallel = [&](std::int64_t b, std::size_t slot) {
                RowBlock& block = start(b, slot);
                const auto got = concurrent->read_rows(block.first, step_, block.visits, !c_.map.north_first,
                                                       {block.scratch.get(), scratch_bytes_},
                                                       {block.values.get(), row_values(block.visits)});
                block.read = got.rows;
                block.status = got.status;
                convert(block);
            };
        } else {
            stages.in_order = [&](std::int64_t b, std::size_t slot) {
                RowBlock& block = start(b, slot);
                read_in_order(source, block);
                return block.status == 0;
            };
            stages.in_parallel = [&](std::int64_t, std::size_t slot) { convert(blocks_in_flight_[slot]); };
        }
        stages.deliver = [&](std::int64_t b, std::size_t slot) { return deliver(b, blocks_in_flight_[slot]); };
        threads::run_ordered(blocks_, threads_, stages);
        return status_;
    }

private:
    std::size_t row_values(std::int64_t rows) const { return static_cast<std::size_t>(rows) * c_.stored_columns; }

    void allocate(std::size_t slots, const rows::ConcurrentRows* concurrent) {
        blocks_in_flight_.resize(static_cast<std::size_t>(std::min(static_cast<std::int64_t>(slots), blocks_)));
        // A sequential source reads the rows the window leaves out into one more row.
        const std::int64_t rows = rows_per_block_ + (concurrent ? 0 : 1);
        scratch_bytes_ = concurrent ? concurrent->scratch_bytes(rows_per_block_) : 0;
        for (RowBlock& block : blocks_in_flight_) {
            // Not initialised: a short file must not cost the touch of a huge buffer.
            block.values = std::make_unique_for_overwrite<float[]>(row_values(rows));
            block.scratch = std::make_unique_for_overwrite<std::byte[]>(scratch_bytes_);
            block.sums = std::make_unique<grid::RowSums[]>(static_cast<std::size_t>(rows_per_block_));
        }
    }

    // Sets out block b in its slot: its stored rows and where its kept rows go.
    RowBlock& start(std::int64_t b, std::size_t slot) {
        RowBlock& block = blocks_in_flight_[slot];
        const std::int64_t first_visit = b * rows_per_block_;
        block.first = visit_.first + first_visit * step_;
        block.visits = std::min(rows_per_block_, visits_ - first_visit);
        block.kept = 0;
        block.lowest = std::numeric_limits<std::int64_t>::max();
        for (std::int64_t j = 0; j < block.visits; ++j) {
            const std::int64_t k = block.first + j * step_;
            if (!c_.map.keeps(k)) continue;
            ++block.kept;
            block.lowest = std::min(block.lowest, c_.map.working_row(k));
        }
        block.read = 0;
        block.status = 0;
        return block;
    }

    void read_in_order(rows::RowSource& source, RowBlock& block) const {
        float* const spare = block.values.get() + row_values(rows_per_block_);
        for (std::int64_t j = 0; j < block.visits; ++j) {
            const std::int64_t k = block.first + j * step_;
            float* const to = c_.map.keeps(k) ? block.values.get() + row_values(1) * block.place(c_, k) : spare;
            block.status = source.read(k, {to, c_.stored_columns});
            if (block.status != 0) return;
            block.read = j + 1;
        }
    }

    KeptRange kept_read(const RowBlock& block) const {
        std::int64_t count = 0;
        for (std::int64_t j = 0; j < block.read; ++j) count += c_.map.keeps(block.first + j * step_);
        // Working rows rise with the stored rows when the northern row comes first.
        const auto n = static_cast<std::size_t>(count), all = static_cast<std::size_t>(block.kept);
        if (c_.map.north_first) return {0, n, block.lowest};
        return {all - n, all, block.lowest + static_cast<std::int64_t>(all - n)};
    }

    // Converts the kept rows read and sums them, in working order: each row
    // moves to its place among working rows, which is never beyond where it
    // was read.
    void convert(RowBlock& block) const {
        const KeptRange r = kept_read(block);
        const std::size_t n = c_.stored_columns, m = c_.working_columns();
        for (std::size_t p = r.from; p < r.to; ++p) {
            float* const row = block.values.get() + p * n;
            block.sums[p] = grid::row_sums(c_.convert({row, n}, block.values.get() + p * m));
        }
    }

    // Adds the block's rows to the statistics in the order they were read,
    // and writes them.
    bool deliver(std::int64_t b, const RowBlock& block) {
        for (std::int64_t j = 0; j < block.read; ++j) {
            const std::int64_t k = block.first + j * step_;
            if (c_.map.keeps(k)) c_.stats.add(block.sums[block.place(c_, k)]);
        }
        const KeptRange r = kept_read(block);
        const std::size_t m = c_.working_columns();
        if (!c_.write(r.working_row, {block.values.get() + r.from * m, (r.to - r.from) * m})) {
            status_ = GRIDLIB_WORKING_GRID_FAILED;
            return false;
        }
        c_.progress.advance(b * rows_per_block_ + block.read);
        status_ = block.status;
        return status_ == 0;
    }

    const Copy& c_;
    const rows::StoredRows visit_;
    const std::int64_t step_;
    const std::int64_t visits_;
    const std::int64_t rows_per_block_;
    const std::int64_t blocks_;
    int threads_;
    std::vector<RowBlock> blocks_in_flight_;
    std::size_t scratch_bytes_ = 0;
    Status status_ = GRIDLIB_OK;
};

// Working rows that come one at a time, their numbers rising or falling by
// one, gathered and written in blocks.
class RowGatherer {
public:
    RowGatherer(const Copy& c, std::size_t capacity, bool rising)
        : c_(c), capacity_(capacity), rising_(rising),
          values_(std::make_unique_for_overwrite<float[]>(capacity * c.working_columns())) {}

    // The kept values of working row s, which follows the row added before.
    bool add(std::int64_t s, std::span<const float> row) {
        const std::size_t place = rising_ ? count_ : capacity_ - 1 - count_;
        std::copy(row.begin(), row.end(), values_.get() + place * row.size());
        if (count_++ == 0 || !rising_) first_ = s;
        return count_ < capacity_ || flush();
    }
    bool flush() {
        const std::size_t m = c_.working_columns(), from = rising_ ? 0 : capacity_ - count_;
        const bool ok = c_.write(first_, {values_.get() + from * m, count_ * m});
        count_ = 0;
        return ok;
    }

private:
    const Copy& c_;
    const std::size_t capacity_;
    const bool rising_;
    std::unique_ptr<float[]> values_;
    std::size_t count_ = 0;
    std::int64_t first_ = 0;  // the lowest working row gathered
};

// Written numbers: pieces of text are parsed on all threads and stitched
// into rows in order on this one, where each row is converted, summed and
// gathered for writing.
Status copy_number_text(const Copy& c, rows::NumberText& text, int threads) {
    const std::size_t slots = threads::slots_for(threads);
    std::vector<rows::NumberPiece> pieces(slots);
    auto spanning = std::make_unique_for_overwrite<float[]>(c.stored_columns);
    rows::RowStitcher stitcher({spanning.get(), c.stored_columns}, c.map.stored_rows);
    RowGatherer gathered(c, std::max<std::size_t>(1, kBlockValues / c.working_columns()), c.map.north_first);
    bool written = true;
    const auto row_done = [&](std::int64_t k, std::span<float> row) {
        c.progress.advance(k);
        if (!c.map.keeps(k)) return true;
        const std::span<float> kept = c.convert(row, row.data());
        c.stats.add(kept);
        written = gathered.add(c.map.working_row(k), kept);
        return written;
    };
    threads::Stages stages;
    stages.in_order = [&](std::int64_t, std::size_t slot) { return text.read_piece(pieces[slot]); };
    stages.in_parallel = [&](std::int64_t, std::size_t slot) { pieces[slot].parse(); };
    stages.deliver = [&](std::int64_t, std::size_t slot) { return stitcher.take(pieces[slot], row_done); };
    threads::run_ordered(std::numeric_limits<std::int64_t>::max(), threads, stages);
    // The rows stitched before a failure are written all the same.
    if (!gathered.flush() || !written) return GRIDLIB_WORKING_GRID_FAILED;
    return stitcher.status();
}

// Reads the stored rows the window needs and writes the kept ones, counting
// their valid values. Returns 0 or the status of the first failure.
Status copy_rows(const rows::ReadPlan& plan, const DescriptorView& d, const IndexRange& columns,
                 const IndexRange& rows, working_grid::Writer& out, grid::RunningStatistics& stats) {
    const std::int32_t stored_rows = d.rows();
    // Text must be read row after row; positioned sources visit only the
    // stored rows the window keeps, so that a header declaring billions of
    // rows costs nothing for the rows left out.
    const bool sequential = plan.source->sequential();
    const rows::StoredRows visit =
        sequential ? rows::StoredRows{1, stored_rows} : rows::kept_stored_rows(rows, stored_rows, plan.north_first);
    const std::int64_t visit_step = sequential ? 1 : rows.step;
    progress::Reporter progress(progress::Phase::reading, (visit.last - visit.first) / visit_step + 1);
    const Copy c{plan, {stored_rows, plan.north_first, rows}, columns, static_cast<std::size_t>(d.columns()),
                 out, stats, progress};
    const int threads = threads::thread_count();
    if (rows::NumberText* text = plan.source->number_text()) return copy_number_text(c, *text, threads);
    return BlockedCopy(c, visit, visit_step, threads).run(*plan.source);
}

// The descriptor of the working grid, statistics included.
void describe_working_grid(DescriptorView& d, const WorkingExtent& e, const grid::RunningStatistics& stats) {
    d.west_x() = e.west;
    d.east_x() = e.east;
    d.south_y() = e.south;
    d.north_y() = e.north;
    d.column_spacing() = e.column_spacing;
    d.row_spacing() = e.row_spacing;
    d.columns() = e.columns;
    d.rows() = e.rows;
    d.null_value() = kNullValue;
    d.data_min() = stats.minimum();
    d.data_max() = stats.maximum();
    if (stats.count() > 0) {
        d.mean() = stats.mean();
        d.std_dev() = stats.std_dev();
    }
}

Status copy_window(const std::string& input_path, const std::string& working_path, DescriptorView d,
                   const IndexRange& columns, const IndexRange& rows) {
    rows::ReadPlan plan;
    if (const Status s = formats::plan_rows(input_path, d, rows, platform::directory_of(working_path), plan); s != 0)
        return s;
    // Creating the working file would truncate the very data it is to hold,
    // or the header the grid was described by; compared as files, so that
    // another spelling or a link of the same file is caught too.
    if (plan.data_name == working_path || platform::same_file(plan.data_name, working_path) ||
        platform::same_file(input_path, working_path))
        return GRIDLIB_REFUSED;

    const WorkingExtent extent = working_extent(d, columns, rows);
    // An input too short for its grid gets no rows written (see Copy::write).
    const std::uint64_t needed = plan.can_be_complete ? working_grid::file_bytes(extent.columns, extent.rows)
                                                      : working_grid::kHeaderBytes;
    if (platform::room_shortage(working_path, needed, platform::Writing::in_place)) return GRIDLIB_NO_ROOM;
    auto out = working_grid::Writer::create(working_path, extent.geometry());
    if (!out) return GRIDLIB_WORKING_GRID_FAILED;

    // A range that does not ascend is no range: the statistics replace it.
    if (d.data_min() >= d.data_max()) {
        d.data_min() = 1.0e32f;
        d.data_max() = -1.0e32f;
    }
    grid::RunningStatistics stats;
    const Status status = copy_rows(plan, d, columns, rows, *out, stats);
    d.colour_min() = stats.minimum();
    d.colour_max() = stats.maximum();
    if (status != 0) return status;
    if (stats.count() > 0 && !out->write_statistics(stats.header_words())) return GRIDLIB_WORKING_GRID_FAILED;
    if (!out->close()) return GRIDLIB_WORKING_GRID_FAILED;
    describe_working_grid(d, extent, stats);
    return GRIDLIB_OK;
}

}  // namespace

std::int32_t read_into_working_grid(const std::string& input_path, const std::string& working_path,
                                    DescriptorView d, const GridWindow& window) {
    // Byte images are described by their headers but cannot be read as grids.
    if (is_byte_image(d.format())) return GRIDLIB_REFUSED;
    if (!grid::window_overlaps(d, window)) return GRIDLIB_REFUSED;
    if (d.columns() <= 0 || d.rows() <= 0) return GRIDLIB_REFUSED;
    const auto columns = rows::index_range(d.west_x(), d.east_x(), d.column_spacing(), d.columns(), window.west_x,
                                           window.east_x, window.column_step);
    const auto rows = rows::index_range(d.south_y(), d.north_y(), d.row_spacing(), d.rows(), window.south_y,
                                        window.north_y, window.row_step);
    if (!columns || !rows) return GRIDLIB_REFUSED;
    try {
        return copy_window(input_path, working_path, d, *columns, *rows);
    } catch (const std::bad_alloc&) {
        return GRIDLIB_REFUSED;  // row buffers too large for this machine
    }
}

}  // namespace gridlib
