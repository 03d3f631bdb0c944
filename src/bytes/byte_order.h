// Byte-order reversal of raw 2-, 4- and 8-byte items, for data stored most
// significant byte first. The items are treated as bytes only: every bit
// pattern, NaNs included, comes back unchanged apart from its byte order.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace gridlib {

template <std::size_t N>
inline void reverse_item(std::byte* item) {
    std::reverse(item, item + N);
}

// Reverses each of the first n items of size N in bytes; n <= 0 changes nothing.
template <std::size_t N>
inline void reverse_items(std::int64_t n, std::span<std::byte> bytes) {
    if (n <= 0) return;
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(n), bytes.size() / N);
    for (std::size_t k = 0; k < count; ++k) reverse_item<N>(bytes.data() + k * N);
}

}  // namespace gridlib
