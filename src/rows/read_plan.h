// How an input grid's values are to be read: the row source, where its rows
// lie, and which reversal, null test and scaling apply to every converted
// row. A format's driver fills the plan with the planners below; the window
// reader then drives every plan the same way.
#pragma once

#include "rows/binary_columns.h"
#include "rows/binary_rows.h"
#include "rows/elements.h"
#include "rows/index_range.h"
#include "rows/row_source.h"
#include "rows/text_rows.h"
#include "platform/text_units.h"

#include <functional>
#include <memory>
#include <span>
#include <string>

namespace gridlib::rows {

// Within this of the null value, a cell is null: in effect only a cell that
// equals it as a 32-bit real, but for the tiniest magnitudes.
inline constexpr double kExactNullTolerance = 1.0e-8;

struct ValueRules {
    bool reverse = false;  // stored rows run from east to west
    bool match_null = false;
    double null_value = 0;
    double tolerance = 0;
    bool scale = false;  // value / divisor + base, for valid values
    float base = 0;
    float divisor = 1;

    // Values within tolerance of null_value become the null value.
    static ValueRules matching_null(double null_value, double tolerance);
    // Scaling applies only when it changes values noticeably.
    void add_scaling(float base, float divisor);
    // Reversal, then the null test, then the scaling. A scaled value that
    // leaves the float range becomes null.
    void apply(std::span<float> row) const;
};

struct ReadPlan {
    std::unique_ptr<RowSource> source;
    ValueRules rules;
    bool north_first = true;  // the first stored row is the northern one
    std::string data_name;    // the file the values are read from
    // False when the file is too short for the grid its header declares, so
    // that the read is bound to fail at some row (only reading tells which).
    bool can_be_complete = true;
};

// The first and last stored rows, in file order, that hold rows the caller keeps.
struct StoredRows {
    std::int64_t first = 1;
    std::int64_t last = 0;
};
StoredRows kept_stored_rows(const IndexRange& rows, std::int64_t stored_rows, bool north_first);

// The planners check, before any row buffer is allocated, that the file can
// hold the first row to be read: a header may declare rows far longer than
// its file, and such a read fails with the status of that row. They set the
// source and leave the rules and the row order, which they read, to the
// caller. They allocate the row buffers, so they may throw std::bad_alloc.

// Stored rows at fixed offsets, stored_rows of them, of which `rows` (grid
// rows, 1 = south) are kept.
Status plan_row_reads(platform::File file, const ElementLayout& layout, const RowPlacement& placement,
                      std::int64_t stored_rows, const IndexRange& rows, ReadPlan& plan);

// A grid of raw elements from a byte offset on: its rows one after another,
// or its columns when columns_stored.
struct RawValues {
    ElementLayout layout;
    std::int64_t offset = 0;
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    bool columns_stored = false;
};
Status plan_raw_values(platform::File file, const RawValues& values, const IndexRange& rows, ReadPlan& plan);

// A text file positioned at its first data line must hold the first of its
// `count` stored vectors of `length` values, or the read fails with that
// vector's status before anything of its size is allocated; plan notes
// whether it can hold all of them. fewest(n) is the fewest bytes n values
// can take.
Status check_text_room(platform::File& file, std::int64_t length, std::int64_t count,
                       const std::function<std::uint64_t(std::uint64_t)>& fewest, ReadPlan& plan);

// Text vectors that are the grid's stored rows.
Status plan_text_rows(std::unique_ptr<TextVectors> vectors, std::int32_t columns, std::int32_t rows,
                      ReadPlan& plan);
// Written numbers in stored rows, the unit positioned at the first data line.
Status plan_text_reads(platform::TextUnit unit, std::int32_t columns, std::int32_t rows, ReadPlan& plan);

// Text vectors that are the grid's stored columns, `columns` of them with
// `rows` values each: all are decoded here, into a scratch file in
// scratch_directory, of which the rows kept are then read (see
// text_columns.h). A failing column fails with its own status.
Status plan_text_columns(std::unique_ptr<TextVectors> vectors, std::int32_t columns, std::int32_t rows,
                         const std::string& scratch_directory, const IndexRange& kept, ReadPlan& plan);

}  // namespace gridlib::rows
