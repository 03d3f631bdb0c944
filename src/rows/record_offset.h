// Where a fixed-size record of a file begins, computed without overflow: the
// rows that the row routines move through a caller's descriptor.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>

namespace gridlib::rows {

// first + (k - 1) * stride, the offset of record k (k = 1 the first record);
// empty when k < 1, when first or stride is negative, or when the offset lies
// beyond a 64-bit file position.
inline std::optional<std::uint64_t> record_offset(__int128 first, std::int64_t k, __int128 stride) {
    if (k < 1 || first < 0 || stride < 0) return std::nullopt;
    const __int128 at = first + static_cast<__int128>(k - 1) * stride;
    if (at > std::numeric_limits<std::int64_t>::max()) return std::nullopt;
    return static_cast<std::uint64_t>(at);
}

}  // namespace gridlib::rows
