// The tiles of one row of a TIFF's tiles, Deflate-compressed apart from
// libtiff so that each thread compresses the row it painted: each tile is
// its own zlib stream (TIFF's Adobe Deflate), the parts of tiles beyond the
// image's right and bottom edges zero.
#pragma once

#include "image/tiff_format.h"

#include <cstddef>
#include <span>
#include <vector>

struct z_stream_s;

namespace gridlib::tiff {

// Compresses one row of tiles at a time; a thread keeps one and reuses its buffers.
class TileCompressor {
public:
    // Throws std::bad_alloc when zlib finds no memory.
    explicit TileCompressor(const Layout& layout);
    ~TileCompressor();
    TileCompressor(const TileCompressor&) = delete;
    TileCompressor& operator=(const TileCompressor&) = delete;

    // The least memory a compressor holds: the streams of a whole row of
    // tiles, which are kept until they are written in order.
    static std::uint64_t least_memory(const Layout& layout);

    // Compresses the tiles of a band of up to kTileSide whole lines, top
    // line first. False when zlib failed. May throw std::bad_alloc.
    bool compress(std::span<const std::byte> lines);

    // The stream of tile t (0 .. tiles_across - 1) of the band compressed last.
    std::span<const std::byte> tile(std::size_t t) const {
        return {output_.data() + ends_[t] - sizes_[t], sizes_[t]};
    }

private:
    bool deflate_bytes(std::span<const std::byte> bytes, int flush);

    const Layout layout_;
    z_stream_s* zlib_ = nullptr;
    std::vector<std::byte> zeros_;  // one tile line
    std::vector<std::byte> output_;
    std::size_t used_ = 0;
    std::vector<std::size_t> ends_, sizes_;
};

}  // namespace gridlib::tiff
