// A tile as a PNG file in memory: 8-bit palette indices with the palette
// (and entry 0 transparent) that every tile of a pyramid shares, deflated
// at once. A browser shows it as the red, green, blue and alpha it stands
// for, at a quarter of the bytes to compress, store and send. A tile is
// small, so the chunks are written here rather than through libpng's
// streaming machinery.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace gridlib::tiles {

class PngTileEncoder {
public:
    // Tiles of width x height indices into the palette (1..256 entries,
    // red, green and blue each), entry 0 fully transparent.
    PngTileEncoder(std::span<const std::array<std::uint8_t, 3>> palette, std::uint32_t width, std::uint32_t height);

    // Encodes the indices, top line first; the bytes stay until the next
    // call. False when zlib fails.
    bool encode(std::span<const std::uint8_t> indices);
    std::span<const std::byte> bytes() const { return {out_.data(), out_.size()}; }

private:
    std::uint32_t width_, height_;
    std::vector<std::byte> head_;  // signature, header, palette, transparency
    std::vector<std::uint8_t> filtered_;
    std::vector<std::uint8_t> deflated_;
    std::vector<std::byte> out_;
};

}  // namespace gridlib::tiles
