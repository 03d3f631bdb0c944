// A tile as a PNG file in memory: 8-bit red, green, blue and alpha, each
// line filtered by its left neighbour and the whole image deflated at once.
// A tile is small, so the chunks are written here rather than through
// libpng's streaming machinery.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace gridlib::tiles {

// Encodes width x height pixels of four bytes each, top line first, into
// out (its buffers reused from call to call). False when zlib fails.
class PngTileEncoder {
public:
    bool encode(std::span<const std::uint8_t> rgba, std::uint32_t width, std::uint32_t height);
    std::span<const std::byte> bytes() const { return {out_.data(), out_.size()}; }

private:
    std::vector<std::uint8_t> filtered_;
    std::vector<std::uint8_t> deflated_;
    std::vector<std::byte> out_;
};

}  // namespace gridlib::tiles
