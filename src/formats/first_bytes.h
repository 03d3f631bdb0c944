// The first bytes of a file, which the content tests of the drivers look at
// before any header is read, viewed as little-endian numbers at offsets.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace gridlib::formats {

// The content tests look at exactly this many bytes; a shorter file cannot be
// recognised by content.
inline constexpr std::size_t kFirstBytesSize = 120;

class FirstBytes {
public:
    explicit FirstBytes(std::span<const std::byte, kFirstBytesSize> bytes) : bytes_(bytes) {}

    std::uint8_t byte(std::size_t at) const { return std::to_integer<std::uint8_t>(bytes_[at]); }
    std::int8_t signed_byte(std::size_t at) const { return static_cast<std::int8_t>(byte(at)); }
    std::int16_t int16(std::size_t at) const { return load<std::int16_t>(at); }
    std::int32_t int32(std::size_t at) const { return load<std::int32_t>(at); }
    float real(std::size_t at) const { return load<float>(at); }
    bool starts_with(std::string_view text) const {
        return std::memcmp(bytes_.data(), text.data(), text.size()) == 0;
    }

private:
    template <typename T>
    T load(std::size_t at) const {
        std::array<std::byte, sizeof(T)> raw;
        std::memcpy(raw.data(), bytes_.data() + at, sizeof(T));
        if constexpr (std::endian::native == std::endian::big) std::reverse(raw.begin(), raw.end());
        return std::bit_cast<T>(raw);
    }

    std::span<const std::byte, kFirstBytesSize> bytes_;
};

}  // namespace gridlib::formats
