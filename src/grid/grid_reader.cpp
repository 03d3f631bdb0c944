// GRDRDG: reads the grid described by the descriptor, within a map window and
// with column and row steps, into the working grid file, and rewrites the
// descriptor so that it describes the working grid.
#include "grid/grid_reader.h"

#include "grid/read_plan.h"
#include "grid/statistics.h"
#include "grid/window.h"
#include "grid/working_grid.h"
#include "platform/file.h"
#include "text/fields.h"

#include <memory>
#include <new>
#include <optional>
#include <string>

namespace gridlib {
namespace {

using grid::Status;
constexpr Status kRefused = -1;
constexpr Status kWorkingFileFailed = -2;

// A name the caller may have meant: not blank, not starting with NUL, and
// without a NUL at least two characters long.
std::optional<std::string> checked_name(std::string_view text) {
    if (text.empty() || text.front() == '\0') return std::nullopt;
    const bool has_nul = text.find('\0') != std::string_view::npos;
    std::string name = text::name_from_fixed_text(text);
    if (name.find_first_not_of(' ') == std::string::npos) return std::nullopt;
    if (!has_nul && name.size() <= 1) return std::nullopt;
    return name;
}

Status GRDRDG_INT(std::string_view input_text, std::string_view working_text, DescriptorView d,
                  const grid::IndexRange& columns, const grid::IndexRange& rows) {
    const auto input_name = checked_name(input_text);
    const auto working_name = checked_name(working_text);
    if (!input_name || !working_name) return kRefused;

    grid::ReadPlan plan;
    if (const Status s = grid::open_read_plan(*input_name, d, rows, plan); s != 0) return s;
    // Creating the working file would truncate the very data it is to hold.
    if (plan.data_name == *working_name) return kRefused;

    const std::int32_t n = d.columns();
    const std::int32_t stored_rows = d.rows();
    const std::int32_t out_columns = columns.count();
    const std::int32_t out_rows = rows.count();
    auto values_buffer = std::make_unique_for_overwrite<float[]>(static_cast<std::size_t>(n));
    const std::span<float> values(values_buffer.get(), static_cast<std::size_t>(n));
    const std::span<float> out_row = values.first(static_cast<std::size_t>(out_columns));
    const bool select_columns = columns.first != 1 || columns.step != 1;

    const float column_spacing = d.column_spacing() * static_cast<float>(columns.step);
    const float row_spacing = d.row_spacing() * static_cast<float>(rows.step);
    const float west = grid::coordinate_of(d.west_x(), d.column_spacing(), columns.first);
    const float east = grid::coordinate_of(d.west_x(), d.column_spacing(), columns.last);
    const float south = grid::coordinate_of(d.south_y(), d.row_spacing(), rows.first);
    const float north = grid::coordinate_of(d.south_y(), d.row_spacing(), rows.last);

    auto out = platform::File::create(*working_name);
    if (!out) return kWorkingFileFailed;
    const working_grid::Geometry geometry{out_columns, out_rows, column_spacing, row_spacing, west, south};
    if (!out->write(working_grid::header_bytes(geometry))) return kWorkingFileFailed;

    if (d.data_min() >= d.data_max()) {
        d.data_min() = 1.0e32f;
        d.data_max() = -1.0e32f;
    }
    grid::RunningStatistics stats;
    Status status = 0;
    // Text must be read row after row; positioned sources visit only the
    // stored rows the window keeps, so that a header declaring billions of
    // rows costs nothing for the rows left out.
    const bool sequential = plan.source->sequential();
    const grid::StoredRows visit =
        sequential ? grid::StoredRows{1, stored_rows} : grid::kept_stored_rows(rows, stored_rows, plan.north_first);
    const std::int64_t visit_step = sequential ? 1 : rows.step;
    // An input too short for its grid fails at some row all the same, so its
    // rows are not written: a grid whose southern row comes first would
    // otherwise put that row at the far end of a vast working file.
    const bool write_rows = plan.can_be_complete;
    for (std::int64_t k = visit.first; k <= visit.last && status == 0; k += visit_step) {
        const std::int64_t g = plan.north_first ? stored_rows - k + 1 : k;
        const bool kept = rows.keeps(g);
        status = plan.source->read(k, values);
        if (status != 0 || !kept) continue;

        plan.rules.apply(values);
        if (select_columns) {
            // Forward in place: value j comes from index (j-1)*step + first - 1 >= j - 1.
            for (std::int32_t j = 0; j < out_columns; ++j) {
                out_row[static_cast<std::size_t>(j)] =
                    values[static_cast<std::size_t>(j) * static_cast<std::size_t>(columns.step) +
                           static_cast<std::size_t>(columns.first - 1)];
            }
        }
        stats.add(out_row);
        // Working row 1 is the northern one.
        const std::int64_t slot = out_rows - rows.position(g) + 1;
        if (!write_rows) continue;
        if (!out->seek(working_grid::row_offset(slot, out_columns)) || !out->write(std::as_bytes(out_row))) {
            status = kWorkingFileFailed;
        }
    }
    d.colour_min() = stats.minimum();
    d.colour_max() = stats.maximum();
    if (status != 0) return status;

    if (stats.count() > 0) {
        if (!out->seek(working_grid::kStatisticsOffset) ||
            !out->write(working_grid::statistics_bytes(stats.header_words()))) {
            return kWorkingFileFailed;
        }
    }
    if (!out->close()) return kWorkingFileFailed;

    d.west_x() = west;
    d.east_x() = east;
    d.south_y() = south;
    d.north_y() = north;
    d.column_spacing() = column_spacing;
    d.row_spacing() = row_spacing;
    d.columns() = out_columns;
    d.rows() = out_rows;
    d.null_value() = kNullValue;
    d.data_min() = stats.minimum();
    d.data_max() = stats.maximum();
    if (stats.count() > 0) {
        d.mean() = stats.mean();
        d.std_dev() = stats.std_dev();
    }
    return 0;
}

}  // namespace

std::int32_t GRDRDG(std::string_view input_name_text, std::string_view working_name_text, DescriptorView d,
                    const GridWindow& window) {
    // Byte images are described by their headers but cannot be read as grids.
    if (is_byte_image(d.format())) return kRefused;
    if (!grid::window_overlaps(d, window)) return kRefused;
    if (d.columns() <= 0 || d.rows() <= 0) return kRefused;
    const auto columns = grid::index_range(d.west_x(), d.east_x(), d.column_spacing(), d.columns(), window.west_x,
                                           window.east_x, window.column_step);
    const auto rows = grid::index_range(d.south_y(), d.north_y(), d.row_spacing(), d.rows(), window.south_y,
                                        window.north_y, window.row_step);
    if (!columns || !rows) return kRefused;
    try {
        return GRDRDG_INT(input_name_text, working_name_text, d, *columns, *rows);
    } catch (const std::bad_alloc&) {
        return kRefused;  // row buffers too large for this machine
    }
}

}  // namespace gridlib
