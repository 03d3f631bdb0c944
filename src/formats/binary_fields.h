// Field access for the fixed binary headers: numbers taken from a byte buffer
// at stated offsets in a stated byte order, conversions that stay defined for
// any bit pattern, and the check that a file holds the data its header promises.
#pragma once

#include "descriptor/grid_descriptor.h"
#include "gridlib.h"
#include "platform/file.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>

namespace gridlib::formats {

enum class Endian { little, big };

inline std::uint32_t word32(std::span<const std::byte> b, std::size_t at, Endian e = Endian::little) {
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        const std::size_t from = e == Endian::little ? at + 3 - k : at + k;
        v = (v << 8) | std::to_integer<std::uint32_t>(b[from]);
    }
    return v;
}

inline std::int32_t int32_at(std::span<const std::byte> b, std::size_t at, Endian e = Endian::little) {
    return static_cast<std::int32_t>(word32(b, at, e));
}

inline std::int16_t int16_at(std::span<const std::byte> b, std::size_t at) {
    const auto lo = std::to_integer<std::uint16_t>(b[at]);
    const auto hi = std::to_integer<std::uint16_t>(b[at + 1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
}

inline float real32_at(std::span<const std::byte> b, std::size_t at, Endian e = Endian::little) {
    return std::bit_cast<float>(word32(b, at, e));
}

// A little-endian IEEE double.
inline double real64_at(std::span<const std::byte> b, std::size_t at) {
    const std::uint64_t lo = word32(b, at);
    const std::uint64_t hi = word32(b, at + 4);
    return std::bit_cast<double>((hi << 32) | lo);
}

// A double stored as float, beyond the float range as an infinity.
inline float narrow(double v) { return DescriptorView::to_float(v); }

// East and north edges from the west and south ones, the counts and the spacings.
inline void derive_far_edges(DescriptorView& d) {
    d.derive_east_from_columns();
    d.derive_north_from_rows();
}

// A count taken from a real by truncation toward zero. NaN and values beyond
// the 32-bit range give 0, which the size check then refuses.
inline std::int32_t truncated_count(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return 0;
    return static_cast<std::int32_t>(v);
}

// Refuses a grid whose counts are not positive (GRIDLIB_NO_USABLE_SIZE) or
// whose file ends before data_offset + rows * row_bytes (GRIDLIB_BINARY_TOO_SHORT).
// row_bytes is the size of one stored row (or column: the product is the
// same). Computed in 64 bits; a product that does not fit is as good as a
// short file.
inline std::int32_t check_data_extent(platform::File& file, const DescriptorView& d,
                                      std::uint64_t data_offset, std::uint64_t row_bytes) {
    if (d.columns() <= 0 || d.rows() <= 0) return GRIDLIB_NO_USABLE_SIZE;
    const auto rows = static_cast<std::uint64_t>(d.rows());
    constexpr std::uint64_t top = std::numeric_limits<std::uint64_t>::max();
    if (row_bytes != 0 && rows > (top - data_offset) / row_bytes) return GRIDLIB_BINARY_TOO_SHORT;
    const std::uint64_t needed = data_offset + rows * row_bytes;
    const auto size = file.size();
    if (!size || *size < needed) return GRIDLIB_BINARY_TOO_SHORT;
    return GRIDLIB_OK;
}

}  // namespace gridlib::formats
