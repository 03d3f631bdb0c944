// A row of tiles deflated with zlib.
#include "image/tiff_tiles.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <new>

namespace gridlib::tiff {
namespace {

// zlib's fastest level, as for the PNG (image/png_blocks.cpp): deflating is
// most of an image's cost, and a tile of a grid's image holds long runs.
constexpr int kCompressionLevel = 1;
constexpr std::size_t kFirstOutput = 64 * 1024;

}  // namespace

TileCompressor::TileCompressor(const Layout& layout)
    : layout_(layout), zeros_(layout.tile_line_bytes()), ends_(layout.tiles_across), sizes_(layout.tiles_across) {
    zlib_ = new z_stream{};
    if (deflateInit(zlib_, kCompressionLevel) != Z_OK) {
        delete zlib_;
        throw std::bad_alloc();  // the only way it fails with these arguments
    }
}

TileCompressor::~TileCompressor() {
    deflateEnd(zlib_);
    delete zlib_;
}

std::uint64_t TileCompressor::least_memory(const Layout& layout) {
    // Deflate's best: a match of 258 bytes in one code of about two bits.
    constexpr std::uint64_t kBestRatio = 1032;
    return std::uint64_t{layout.tiles_across} * (layout.tile_bytes() / kBestRatio + 2 * sizeof(std::size_t)) +
           layout.tile_line_bytes();
}

bool TileCompressor::compress(std::span<const std::byte> lines) {
    used_ = 0;
    const std::size_t rows = lines.size() / layout_.line_bytes, tile_line = layout_.tile_line_bytes();
    for (std::size_t t = 0; t < layout_.tiles_across; ++t) {
        if (deflateReset(zlib_) != Z_OK) return false;
        const std::size_t start = used_;
        const std::size_t left = t * tile_line, inside = std::min(tile_line, layout_.line_bytes - left);
        for (std::size_t r = 0; r < kTileSide; ++r) {
            if (r < rows) {
                if (!deflate_bytes(lines.subspan(r * layout_.line_bytes + left, inside), Z_NO_FLUSH)) return false;
                if (inside < tile_line && !deflate_bytes({zeros_.data(), tile_line - inside}, Z_NO_FLUSH)) return false;
            } else if (!deflate_bytes(zeros_, Z_NO_FLUSH)) {
                return false;
            }
        }
        if (!deflate_bytes({}, Z_FINISH)) return false;
        ends_[t] = used_;
        sizes_[t] = used_ - start;
    }
    return true;
}

bool TileCompressor::deflate_bytes(std::span<const std::byte> bytes, int flush) {
    // A tile line is far below zlib's unsigned counts.
    zlib_->next_in = const_cast<Bytef*>(reinterpret_cast<const Bytef*>(bytes.data()));
    zlib_->avail_in = static_cast<uInt>(bytes.size());
    // Deflate until it has taken the bytes and has room left over, or has
    // ended the stream: then it has written everything out.
    for (;;) {
        if (used_ == output_.size()) output_.resize(std::max(kFirstOutput, 2 * output_.size()));
        zlib_->next_out = reinterpret_cast<Bytef*>(output_.data() + used_);
        const std::size_t room = std::min<std::size_t>(output_.size() - used_, UINT_MAX);
        zlib_->avail_out = static_cast<uInt>(room);
        const int result = deflate(zlib_, flush);
        used_ += room - zlib_->avail_out;
        if (result == Z_STREAM_ERROR) return false;
        if (flush == Z_FINISH ? result == Z_STREAM_END : zlib_->avail_in == 0 && zlib_->avail_out > 0) return true;
    }
}

}  // namespace gridlib::tiff
