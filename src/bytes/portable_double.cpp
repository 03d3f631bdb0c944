#include "bytes/portable_double.h"

#include <cmath>

namespace gridlib {

double decode_portable_double(std::span<const std::byte, 8> bytes, bool most_significant_first) {
    // b[0] most significant ... b[7] least significant
    unsigned b[8];
    for (int i = 0; i < 8; ++i) {
        const std::byte v = most_significant_first ? bytes[i] : bytes[7 - i];
        b[i] = std::to_integer<unsigned>(v);
    }
    // 1 + fraction / 2^52, accumulated from the least significant byte up;
    // every step is exact in extended precision.
    long double m = b[7];
    for (int i = 6; i >= 2; --i) m = m / 256 + b[i];
    m = (m / 256 + (b[1] % 16)) / 16 + 1;
    const int exponent = static_cast<int>((b[0] % 128) * 16 + b[1] / 16);
    if (exponent != 1023) m = std::ldexp(m, exponent - 1023);  // exact power of two
    if (b[0] >= 128) m = -m;
    return static_cast<double>(m);
}

}  // namespace gridlib
