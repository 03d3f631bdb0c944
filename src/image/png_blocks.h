// A PNG's image data compressed block by block on several threads, as a
// parallel gzip does: each block of lines is filtered and deflated on its
// own into a raw deflate stream that ends on a byte boundary (the image's
// last block ends the stream), and the blocks' streams, written one after
// another between a zlib header and the checksum of all the filtered bytes,
// form the image's zlib stream. The blocks hold a number of lines that does
// not depend on the thread count, so neither does the file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct z_stream_s;

namespace gridlib::png {

// How deflate looks for repeats in the filtered lines. runs: of one byte,
// which is what palette indices less the line above become. matches: any
// repeat within its window, which finds what a true-colour image's three or
// four bytes a pixel repeat and runs miss: measured with bench/palette_file.sh
// on a 4000 x 4000 palette file image, two thirds of the time of runs for a
// file 40% smaller.
enum class Compression { runs, matches };

// Compresses one block at a time; a thread keeps one and reuses its buffers.
class BlockCompressor {
public:
    // For lines of line_bytes bytes of pixels of pixel_bytes bytes each.
    // Throws std::bad_alloc when zlib finds no memory.
    BlockCompressor(std::size_t line_bytes, std::size_t pixel_bytes,
                    Compression compression = Compression::runs);
    ~BlockCompressor();
    BlockCompressor(const BlockCompressor&) = delete;
    BlockCompressor& operator=(const BlockCompressor&) = delete;

    // The least memory a compressor holds for a block of `lines` lines of
    // line_bytes bytes, each stored `replication` times: its filtered line,
    // its repeated line, and the block's whole stream, which is held until
    // it is written in order and which deflate cannot make smaller than
    // 1/1032 of the filtered bytes. A replicated block's stream grows with
    // the replication: a block can need more than any machine has.
    static std::uint64_t least_memory(std::size_t line_bytes, std::int64_t lines, std::int64_t replication);

    // Compresses the lines (whole lines, top line first), each line stored
    // `replication` times; `last` ends the stream with this block. False
    // when zlib failed. May throw std::bad_alloc.
    bool compress(std::span<const std::byte> lines, std::int64_t replication, bool last);

    // Of the block compressed last: its raw deflate stream, and the adler32
    // checksum and the length of the filtered bytes it holds.
    std::span<const std::byte> stream() const { return {output_.data(), used_}; }
    std::uint32_t checksum() const { return checksum_; }
    std::uint64_t filtered_bytes() const { return filtered_bytes_; }
    bool ends_stream() const { return last_; }

private:
    // Deflates the bytes, checksummed, with zlib's flush mode.
    bool deflate_bytes(std::span<const std::byte> bytes, int flush);
    void grow_output();

    const std::size_t line_bytes_, pixel_bytes_;
    z_stream_s* zlib_ = nullptr;
    std::vector<std::byte> filtered_;  // one line with its filter type byte
    std::vector<std::byte> repeated_;  // a line equal to the one above: up-filtered, all zero
    std::vector<std::byte> output_;
    std::size_t used_ = 0;
    std::uint32_t checksum_ = 1;
    std::uint64_t filtered_bytes_ = 0;
    bool last_ = false;
};

// Joins the blocks' streams, in order, into the image's zlib stream.
class StreamJoiner {
public:
    // The pieces to write for the next block: the zlib header before the
    // first block, the block's stream, and after the block that ends the
    // stream the checksum of all of them. Valid until the next call.
    std::array<std::span<const std::byte>, 3> pieces(const BlockCompressor& block);

private:
    bool started_ = false;
    std::uint32_t checksum_ = 1;
    std::array<std::byte, 4> trailer_{};
};

}  // namespace gridlib::png
