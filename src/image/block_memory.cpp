// The least memory of one block of the shared line loop.
#include "image/block_memory.h"

#include "image/png_blocks.h"
#include "image/tiff_tiles.h"

#include <algorithm>

namespace gridlib::image {

std::uint64_t least_block_memory(const ImageLayout& layout, std::int32_t columns, const ImageScale& scale) {
    const std::size_t line_bytes = layout.line_bytes();
    const auto row_bytes = static_cast<std::uint64_t>(columns) * sizeof(float);
    if (const auto* tiff_layout = std::get_if<tiff::Layout>(&layout.layout())) {
        // A band of a row of tiles, its kept rows, and its tiles' streams.
        const std::int64_t lines = tiff::kTileSide;
        const std::int64_t kept = std::min(lines, lines / scale.replication + 1);
        return static_cast<std::uint64_t>(lines) * line_bytes + static_cast<std::uint64_t>(kept) * row_bytes +
               tiff::TileCompressor::least_memory(*tiff_layout);
    }
    const std::int64_t lines = lines_per_block(columns, line_bytes);
    const auto block = static_cast<std::uint64_t>(lines) * (row_bytes + std::uint64_t{line_bytes});
    if (layout.format() != ImageFormat::png) return block;
    return block + png::BlockCompressor::least_memory(line_bytes, lines, scale.replication);
}

}  // namespace gridlib::image
