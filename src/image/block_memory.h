// What one thread holds while it paints and stores one block of an image:
// a run needs at least that much, however few threads it falls back to, so
// an image whose single block could never be held is refused before it is
// begun, as a BMP beyond its format's size fields is. The blocks in flight
// at once are as many as fit the memory together, so that their number,
// and with it the threads, never makes a run exhaust the machine.
#pragma once

#include "image/image_file.h"
#include "image/image_lines.h"

#include <cstdint>

namespace gridlib::image {

// The bytes of one block's grid rows and painted lines (for a TIFF, a row of
// tiles), and the least its compressor holds for the block (a PNG's stream
// grows with the replication), for a grid of `columns` >= 1 columns drawn
// at `scale`.
std::uint64_t least_block_memory(const ImageLayout& layout, std::int32_t columns, const ImageScale& scale);

// The threads that paint an image's blocks, of `threads` asked for: as many
// as keep all their blocks in flight (threads::slots_for) of block_bytes
// each within half of `memory` (the rest of the run needs its share), and
// at least 1, whose single block the caller has found to fit `memory`.
int threads_for_blocks(int threads, std::uint64_t block_bytes, std::uint64_t memory);

// The sizes behind the last GRIDLIB_IMAGE_TOO_LARGE an image writer
// returned on this thread: the bytes of one block and the memory the
// process may use when the block was what did not fit, both 0 when the
// image's sides were beyond its format.
struct MemoryShortage {
    std::uint64_t needed = 0;
    std::uint64_t available = 0;
};
MemoryShortage last_memory_shortage();
// GRIDLIB_IMAGE_TOO_LARGE for an image beyond its format's size fields,
// with no memory shortage behind it.
std::int32_t beyond_format();
// GRIDLIB_IMAGE_TOO_LARGE for an image whose single block of needed bytes
// does not fit the available memory, which last_memory_shortage tells.
std::int32_t beyond_memory(std::uint64_t needed, std::uint64_t available);

}  // namespace gridlib::image
