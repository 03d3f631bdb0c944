// The value rules and the planners every driver builds its plan from.
#include "rows/read_plan.h"

#include "descriptor/grid_descriptor.h"
#include "gridlib.h"
#include "platform/file_system_room.h"
#include "rows/text_columns.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace gridlib::rows {

ValueRules ValueRules::matching_null(double null_value, double tolerance) {
    ValueRules r;
    r.match_null = true;
    r.null_value = null_value;
    r.tolerance = tolerance;
    return r;
}

void ValueRules::add_scaling(float new_base, float new_divisor) {
    base = new_base;
    divisor = new_divisor;
    scale = std::fabs(base) > 0.01f || std::fabs(divisor - 1.0f) > 0.01f;
}

void ValueRules::apply(std::span<float> row) const {
    if (reverse) std::reverse(row.begin(), row.end());
    // Selects rather than branches, so that both loops vectorise.
    if (match_null) {
        for (float& v : row) v = std::fabs(static_cast<double>(v) - null_value) <= tolerance ? kNullValue : v;
    }
    if (scale) {
        for (float& v : row) {
            const float scaled = v / divisor + base;
            v = !is_valid(v) ? v : std::isfinite(scaled) ? scaled : kNullValue;
        }
    }
}

StoredRows kept_stored_rows(const IndexRange& rows, std::int64_t stored_rows, bool north_first) {
    if (north_first) return {stored_rows - rows.last + 1, stored_rows - rows.first + 1};
    return {rows.first, rows.last};
}

Status plan_row_reads(platform::File file, const ElementLayout& layout, const RowPlacement& placement,
                      std::int64_t stored_rows, const IndexRange& rows, ReadPlan& plan) {
    if (!placement_fits(placement, stored_rows)) return GRIDLIB_REFUSED;
    const auto size = file.size();
    if (!size) return GRIDLIB_REFUSED;
    const std::int64_t first = kept_stored_rows(rows, stored_rows, plan.north_first).first;
    if (const Status s = unreadable_row_status(placement, first, *size); s != 0) return s;
    plan.source = std::make_unique<BinaryRowSource>(std::move(file), layout, placement);
    return GRIDLIB_OK;
}

Status plan_raw_values(platform::File file, const RawValues& values, const IndexRange& rows, ReadPlan& plan) {
    const ElementLayout& layout = values.layout;
    if (!values.columns_stored) {
        const auto bytes = layout.stored_bytes(static_cast<std::uint64_t>(values.columns));
        if (bytes > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return GRIDLIB_REFUSED;
        const RowPlacement placement{values.offset, static_cast<std::int64_t>(bytes), bytes, 0};
        return plan_row_reads(std::move(file), layout, placement, values.rows, rows, plan);
    }
    ColumnPlacement placement;
    placement.first_offset = values.offset;
    placement.column_bytes = layout.stored_bytes(static_cast<std::uint64_t>(values.rows));
    placement.columns = values.columns;
    placement.rows = values.rows;
    const StoredRows kept = kept_stored_rows(rows, values.rows, plan.north_first);
    placement.last_needed = kept.last;
    if (!placement_fits(placement, layout.element_size())) return GRIDLIB_REFUSED;
    const auto file_size = file.size();
    if (!file_size) return GRIDLIB_REFUSED;
    const Status short_status = unreadable_row_status(placement, layout.element_size(), kept.first, *file_size);
    if (short_status != 0) return short_status;
    plan.source = std::make_unique<ColumnSource>(std::move(file), layout, placement);
    return GRIDLIB_OK;
}

Status check_text_room(platform::File& file, std::int64_t length, std::int64_t count,
                       const std::function<std::uint64_t(std::uint64_t)>& fewest, ReadPlan& plan) {
    const auto size = file.size();
    if (!size) return GRIDLIB_REFUSED;
    const __int128 left = static_cast<__int128>(*size) - file.position();
    const auto n = static_cast<std::uint64_t>(length);
    if (left < static_cast<__int128>(fewest(n))) return row_status(1);
    // Both counts are at most 2^31 - 1, so their product fits.
    plan.can_be_complete = left >= static_cast<__int128>(fewest(n * static_cast<std::uint64_t>(count)));
    return GRIDLIB_OK;
}

Status plan_text_rows(std::unique_ptr<TextVectors> vectors, std::int32_t columns, std::int32_t rows,
                      ReadPlan& plan) {
    const TextVectors& v = *vectors;
    const auto fewest = [&v](std::uint64_t n) { return v.fewest_bytes(n); };
    if (const Status s = check_text_room(vectors->file(), columns, rows, fewest, plan); s != 0) return s;
    plan.source = std::make_unique<TextRowSource>(std::move(vectors));
    return GRIDLIB_OK;
}

Status plan_text_reads(platform::TextUnit unit, std::int32_t columns, std::int32_t rows, ReadPlan& plan) {
    return plan_text_rows(std::make_unique<WrittenNumbers>(std::move(unit)), columns, rows, plan);
}

Status plan_text_columns(std::unique_ptr<TextVectors> vectors, std::int32_t columns, std::int32_t rows,
                         const std::string& scratch_directory, const IndexRange& kept, ReadPlan& plan) {
    const TextVectors& v = *vectors;
    const auto fewest = [&v](std::uint64_t n) { return v.fewest_bytes(n); };
    if (const Status s = check_text_room(vectors->file(), rows, columns, fewest, plan); s != 0) return s;
    // The scratch file must be one whose offsets a file position can express.
    const auto scratch_bytes = static_cast<__int128>(columns) * rows * sizeof(float);
    if (scratch_bytes > std::numeric_limits<std::int64_t>::max()) return GRIDLIB_REFUSED;
    // Even an input too short for its grid may fill most of the file:
    // repeats cost a few bytes.
    if (platform::room_shortage_in(scratch_directory, static_cast<std::uint64_t>(scratch_bytes)))
        return GRIDLIB_NO_ROOM;
    // Every column is decoded here, before any row is asked for: a file that
    // ends early fails now, and no working grid is written.
    auto transposed = std::make_unique<TextColumnSource>(scratch_directory);
    if (!transposed->created()) return GRIDLIB_WORKING_GRID_FAILED;
    if (const Status s = transposed->write_columns(*vectors, columns, rows); s != 0) return s;
    auto scratch = platform::File::open_read(transposed->scratch_name());
    if (!scratch) return GRIDLIB_WORKING_GRID_FAILED;
    const RawValues values{ElementLayout{}, 0, columns, rows, true};
    if (const Status s = plan_raw_values(std::move(*scratch), values, kept, plan); s != 0) return s;
    transposed->read_rows_through(std::move(plan.source));
    plan.source = std::move(transposed);
    return GRIDLIB_OK;
}

}  // namespace gridlib::rows
