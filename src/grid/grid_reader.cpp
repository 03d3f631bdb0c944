// Reading a grid, within a map window and with column and row steps, into the
// working grid file: the format's driver plans the reads, the stored rows the
// window needs are visited in file order, and the kept cells of each are
// written to their place in the working grid.
#include "grid/grid_reader.h"

#include "formats/driver.h"
#include "grid/block_copy.h"
#include "grid/number_text_copy.h"
#include "grid/row_copy.h"
#include "grid/statistics.h"
#include "grid/working_grid.h"
#include "platform/file.h"
#include "platform/file_system_room.h"
#include "progress/progress.h"
#include "threads/thread_count.h"

#include <new>

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
    const grid::Copy c{plan, {stored_rows, plan.north_first, rows}, columns, static_cast<std::size_t>(d.columns()),
                 out, stats, progress};
    const int threads = threads::thread_count();
    if (rows::NumberText* text = plan.source->number_text()) return grid::copy_number_text(c, *text, threads);
    return grid::copy_blocks(c, *plan.source, visit, visit_step, threads);
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
