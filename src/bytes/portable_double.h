// Decoding of 8-byte IEEE doubles stored in either byte order, by taking
// sign, exponent and fraction apart arithmetically rather than reinterpreting
// memory, so the result does not depend on the host's layout.
#pragma once

#include <cstddef>
#include <span>

namespace gridlib {

// most_significant_first: the first byte holds the sign and high exponent
// bits. The exponent field 0 is decoded as if normalised (eight zero bytes
// give 2^-1023) and the field 2047 gives an infinity of the stored sign.
double decode_portable_double(std::span<const std::byte, 8> bytes, bool most_significant_first);

}  // namespace gridlib
