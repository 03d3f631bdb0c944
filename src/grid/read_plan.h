// Which read path each input format takes: where its stored rows lie, how
// their elements are decoded, and which reversal, null test and scaling
// apply to every converted row.
#pragma once

#include "descriptor/grid_descriptor.h"
#include "grid/row_source.h"
#include "grid/window.h"

#include <memory>
#include <span>
#include <string>

namespace gridlib::grid {

struct ValueRules {
    bool reverse = false;  // stored rows run from east to west
    bool match_null = false;
    double null_value = 0;
    double tolerance = 0;
    bool scale = false;  // value / divisor + base, for valid values
    float base = 0;
    float divisor = 1;

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

// Status of formats and variants that have no read path here.
inline constexpr Status kNotHandled = -11;

// Opens the data of the grid whose header is in d (the input file name is
// input_name) and brings it to its first stored row. rows is the range of
// grid rows the caller keeps: stored rows beyond it are never read from a
// binary file. Returns 0 and fills plan, or a status: -1 data file missing or
// sizes that no file offset can express, -11 not handled, -27 GXF without a
// "#GRID" line, -28 the file ends within its header lines, or the status of
// the first row to be read when the file cannot hold even that row (checked
// before any row buffer is allocated). Allocates the row buffers, so it may
// throw std::bad_alloc.
Status open_read_plan(const std::string& input_name, const DescriptorView& d, const IndexRange& rows,
                      ReadPlan& plan);

}  // namespace gridlib::grid
