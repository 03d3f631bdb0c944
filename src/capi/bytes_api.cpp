// C entry point of the portable double decoder.
#include "gridlib.h"

#include "bytes/portable_double.h"

extern "C" double DECODE_VULCAN_BINARY(const char* bytes, const int32_t* /*length*/,
                                       const int32_t* byte_order) noexcept {
    if (!bytes) return 0.0;
    const auto* b = reinterpret_cast<const std::byte*>(bytes);
    return gridlib::decode_portable_double(std::span<const std::byte, 8>(b, 8),
                                         byte_order && *byte_order == GRIDLIB_MOST_SIGNIFICANT_FIRST);
}
