// The least memory of one block of the shared line loop, and the blocks
// that may be in flight at once.
#include "image/block_memory.h"

#include "gridlib.h"
#include "image/png_blocks.h"
#include "image/tiff_tiles.h"
#include "threads/ordered_run.h"

#include <algorithm>

namespace gridlib::image {
namespace {

thread_local MemoryShortage t_last_shortage;

}  // namespace

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

int threads_for_blocks(int threads, std::uint64_t block_bytes, std::uint64_t memory) {
    const std::uint64_t blocks_that_fit = memory / 2 / std::max<std::uint64_t>(block_bytes, 1);
    for (int t = threads; t > 1; --t)
        if (threads::slots_for(t) <= blocks_that_fit) return t;
    return 1;
}

MemoryShortage last_memory_shortage() { return t_last_shortage; }

std::int32_t beyond_format() {
    t_last_shortage = {};
    return GRIDLIB_IMAGE_TOO_LARGE;
}

std::int32_t beyond_memory(std::uint64_t needed, std::uint64_t available) {
    t_last_shortage = {needed, available};
    return GRIDLIB_IMAGE_TOO_LARGE;
}

}  // namespace gridlib::image
