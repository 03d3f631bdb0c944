// The least memory of one block of the shared line loop.
#include "image/block_memory.h"

#include "image/png_blocks.h"

namespace gridlib::image {

std::uint64_t least_block_memory(const ImageLayout& layout, std::int32_t columns, const ImageScale& scale) {
    const std::size_t line_bytes = layout.line_bytes();
    const std::int64_t lines = lines_per_block(columns, line_bytes);
    const auto block = static_cast<std::uint64_t>(lines) *
                       (static_cast<std::uint64_t>(columns) * sizeof(float) + std::uint64_t{line_bytes});
    if (layout.format() != ImageFormat::png) return block;
    return block + png::BlockCompressor::least_memory(line_bytes, lines, scale.replication);
}

}  // namespace gridlib::image
