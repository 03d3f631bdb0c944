// One stored row at a time from an input grid, as 32-bit reals. Each format
// family has its own source; the window reader drives them all the same way.
#pragma once

#include "gridlib.h"

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

class RowSource {
public:
    virtual ~RowSource() = default;
    // Reads stored row k (1-based, in file order, k rising between calls)
    // into values, one per column; 0 or a failure status.
    virtual Status read(std::int64_t k, std::span<float> values) = 0;
    // Text cannot be positioned: such a source must be asked for every stored
    // row in turn, including those outside the window.
    virtual bool sequential() const { return false; }
};

}  // namespace gridlib::rows
