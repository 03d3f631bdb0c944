// What the two ways of reading a grid into the working grid share (blocks
// of positioned rows, block_copy.h; written numbers, number_text_copy.h):
// where each stored row goes, and how its kept values are converted and
// written.
#pragma once

#include "grid/statistics.h"
#include "grid/working_grid.h"
#include "progress/progress.h"
#include "rows/index_range.h"
#include "rows/read_plan.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace gridlib::grid {

using rows::IndexRange;

// Rows are read, converted and written in blocks of about this many values:
// few system calls and little coordination between threads, yet the blocks
// of all threads stay in the processors' caches.
constexpr std::size_t kBlockValues = 32 * 1024;

// Moves the values of the kept columns of a row of n values at `from` to
// `to` (to <= from). Forward: value j comes from index j * step + first - 1 >= j.
inline void keep_columns(const float* from, float* to, const IndexRange& columns) {
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
    RunningStatistics& stats;
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

}  // namespace gridlib::grid
