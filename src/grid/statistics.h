// Running statistics of the valid values written to the working grid.
#pragma once

#include "descriptor/grid_descriptor.h"
#include "grid/working_grid.h"

#include <cstdint>
#include <limits>
#include <span>

namespace gridlib::grid {

// The count, sums and range of one row's valid values. Value i of the row
// goes to lane i % 4, those after the last whole group of four to lane 0,
// and each lane adds its values in row order: rows summed on any thread
// and added to the running statistics in row order give the very sums of
// one thread going through the rows.
struct RowSums {
    static constexpr std::size_t kLanes = 4;
    double sum[kLanes] = {};
    double squares[kLanes] = {};
    std::int64_t count = 0;
    // The first of the smallest (largest) valid values, comparing as the
    // running statistics do; the widest range when the row has none.
    float minimum = std::numeric_limits<float>::max();
    float maximum = std::numeric_limits<float>::lowest();
};
RowSums row_sums(std::span<const float> row);

// The sums are doubles: a float sum of millions of values stalls (16777216
// plus 1 is 16777216 in float), so a large grid would report a wrong mean.
class RunningStatistics {
public:
    // Rows must be added in order.
    void add(const RowSums& row);
    void add(std::span<const float> row) { add(row_sums(row)); }

    std::int64_t count() const { return count_; }
    // 1.0e32 and -1.0e32 until a valid value has been seen.
    float minimum() const { return count_ > 0 ? minimum_ : 1.0e32f; }
    float maximum() const { return count_ > 0 ? maximum_ : -1.0e32f; }
    // Only meaningful when count() > 0.
    float mean() const;
    // 0 when the mean is too large for the sum of squares to mean anything.
    float std_dev() const;
    // The header words; the count saturates at the largest 32-bit integer.
    working_grid::Statistics header_words() const;

private:
    std::int64_t count_ = 0;
    // The widest range, so that the first valid value narrows it whatever it
    // is: a start at 1.0e32 would report that as the minimum of a grid whose
    // values all lie above it.
    float minimum_ = std::numeric_limits<float>::max();
    float maximum_ = std::numeric_limits<float>::lowest();
    double sum_ = 0.0;
    double sum_squares_ = 0.0;
};

}  // namespace gridlib::grid
