// One stored row at a time from an input grid, as 32-bit reals. Each format
// family has its own source; the window reader drives them all the same way.
#pragma once

#include "gridlib.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>

namespace gridlib::rows {

using Status = std::int32_t;

// The status of a failure while stored row k is read: -1000 - k, saturated
// at the most negative 32-bit integer for rows beyond its reach.
inline Status row_status(std::int64_t k) {
    const std::int64_t s = GRIDLIB_ROW_FAILED - k;
    return s < std::numeric_limits<Status>::min() ? std::numeric_limits<Status>::min() : static_cast<Status>(s);
}

class NumberText;

// Rows read by several threads at once, each with its own buffers.
class ConcurrentRows {
public:
    virtual ~ConcurrentRows() = default;
    // The scratch bytes read_rows needs for `count` rows.
    virtual std::size_t scratch_bytes(std::int64_t count) const = 0;
    struct Read {
        std::int64_t rows = 0;  // rows read, from the first on
        Status status = 0;      // the failure of the row after them; 0 when all were read
    };
    // Reads the `count` stored rows first, first + step, ... through
    // scratch into values, which holds `count` rows of values.size() / count
    // values: the row read j-th goes to row j, or to row count - 1 - j when
    // backwards.
    virtual Read read_rows(std::int64_t first, std::int64_t step, std::int64_t count, bool backwards,
                           std::span<std::byte> scratch, std::span<float> values) const = 0;
};

class RowSource {
public:
    virtual ~RowSource() = default;
    // Reads stored row k (1-based, in file order, k rising between calls)
    // into values, one per column; 0 or a failure status.
    virtual Status read(std::int64_t k, std::span<float> values) = 0;
    // Text cannot be positioned: such a source must be asked for every stored
    // row in turn, including those outside the window.
    virtual bool sequential() const { return false; }
    // Not null when several threads may read rows at once (positioned rows).
    virtual const ConcurrentRows* concurrent() const { return nullptr; }
    // Not null when the rows are written numbers that can be cut into
    // pieces and parsed apart (see number_text.h).
    virtual NumberText* number_text() { return nullptr; }
};

}  // namespace gridlib::rows
