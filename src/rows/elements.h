// The element kinds of the binary grid formats and their conversion into the
// working grid's 32-bit reals.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace gridlib::rows {

enum class ElementKind {
    real32,
    real64,
    int16,
    int32_thousandths,  // ER Mapper 32-bit integers, stored in thousandths
    uint8,
    uint16,
    int8,
    uint32_thousandths,  // ER Mapper unsigned 32-bit integers, in thousandths too
};

struct ElementLayout {
    ElementKind kind = ElementKind::real32;
    // Elements stored most significant byte first: reversed before use.
    bool swap_bytes = false;
    // Each block of 64 values is preceded by one element that is not a value
    // (the rows of the grids whose first byte is "K").
    bool blocks_of_64 = false;

    std::size_t element_size() const;
    // Stored elements that hold n values, block heads included.
    std::uint64_t stored_elements(std::uint64_t n) const {
        if (!blocks_of_64 || n == 0) return n;
        return n + (n - 1) / 64 + 1;
    }
    std::uint64_t stored_bytes(std::uint64_t n) const { return stored_elements(n) * element_size(); }
};

// Converts values.size() values from their stored bytes. raw holds
// layout.stored_bytes(values.size()) bytes and is byte-reversed in place when
// the layout says so. Reals that are not finite, below -1.0e32 or (for 64-bit
// reals) beyond the 32-bit range become the null value.
void decode_elements(const ElementLayout& layout, std::span<std::byte> raw, std::span<float> values);

}  // namespace gridlib::rows
