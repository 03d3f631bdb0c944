// Decoding stored 1-, 2-, 4- and 8-byte elements into 32-bit reals.
#include "rows/elements.h"

#include "bytes/byte_order.h"
#include "descriptor/grid_descriptor.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>

namespace gridlib::rows {
namespace {

static_assert(std::endian::native == std::endian::little, "stored elements are read as little-endian");

template <typename T>
T load(const std::byte* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

float from_real32(float v) { return std::isfinite(v) && v >= kNullValue ? v : kNullValue; }

// Doubles outside the float range cannot be represented in the working grid
// (converting them would be undefined), so they count as missing, like the
// very negative values that mark missing cells.
float from_real64(double v) {
    return v >= static_cast<double>(kNullValue) && v <= static_cast<double>(FLT_MAX) ? static_cast<float>(v)
                                                                                     : kNullValue;
}

template <typename T, typename Convert>
void convert_all(const ElementLayout& layout, const std::byte* raw, std::span<float> values, Convert convert) {
    const std::size_t n = values.size();
    if (!layout.blocks_of_64) {
        for (std::size_t i = 0; i < n; ++i) values[i] = convert(load<T>(raw + i * sizeof(T)));
        return;
    }
    for (std::size_t i = 0; i < n; ++i) values[i] = convert(load<T>(raw + (i + 1 + i / 64) * sizeof(T)));
}

}  // namespace

std::size_t ElementLayout::element_size() const {
    switch (kind) {
        case ElementKind::real64: return 8;
        case ElementKind::int16:
        case ElementKind::uint16: return 2;
        case ElementKind::uint8:
        case ElementKind::int8: return 1;
        case ElementKind::real32:
        case ElementKind::int32_thousandths:
        case ElementKind::uint32_thousandths: break;
    }
    return 4;
}

void decode_elements(const ElementLayout& layout, std::span<std::byte> raw, std::span<float> values) {
    const auto items = static_cast<std::int64_t>(layout.stored_elements(values.size()));
    if (layout.swap_bytes) {
        switch (layout.element_size()) {
            case 8: reverse_items<8>(items, raw); break;
            case 4: reverse_items<4>(items, raw); break;
            case 2: reverse_items<2>(items, raw); break;
            default: break;
        }
    }
    const std::byte* p = raw.data();
    switch (layout.kind) {
        case ElementKind::real32: convert_all<float>(layout, p, values, from_real32); break;
        case ElementKind::real64: convert_all<double>(layout, p, values, from_real64); break;
        case ElementKind::int16:
            convert_all<std::int16_t>(layout, p, values, [](std::int16_t v) { return static_cast<float>(v); });
            break;
        case ElementKind::uint16:
            convert_all<std::uint16_t>(layout, p, values, [](std::uint16_t v) { return static_cast<float>(v); });
            break;
        case ElementKind::uint8:
            convert_all<std::uint8_t>(layout, p, values, [](std::uint8_t v) { return static_cast<float>(v); });
            break;
        case ElementKind::int8:
            convert_all<std::int8_t>(layout, p, values, [](std::int8_t v) { return static_cast<float>(v); });
            break;
        // A real division: the header stores the null value divided by 1000
        // as a real, and the cells must keep their fractions to match it.
        case ElementKind::int32_thousandths:
            convert_all<std::int32_t>(layout, p, values,
                                      [](std::int32_t v) { return static_cast<float>(v) / 1000.0f; });
            break;
        case ElementKind::uint32_thousandths:
            convert_all<std::uint32_t>(layout, p, values,
                                       [](std::uint32_t v) { return static_cast<float>(v) / 1000.0f; });
            break;
    }
}

}  // namespace gridlib::rows
