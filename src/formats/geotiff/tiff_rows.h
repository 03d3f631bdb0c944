// The rows of one band of a TIFF image, decoded strip by strip or tile by
// tile. Several threads read at once, each through a libtiff handle of its
// own (a handle is not safe across threads); decoded chunks are kept in a
// cache shared by all, so that the rows of one tile are decoded once
// although blocks of rows cut across it. Memory is bounded in bytes, by the
// cache and by the chunks being decoded, whatever the image's size: where
// a row of chunks across the image would not fit the cache twice, chunks
// are kept in pieces of rows, each piece decoding its chunk again.
#pragma once

#include "formats/geotiff/tiff_handle.h"
#include "formats/geotiff/tiff_layout.h"
#include "rows/row_source.h"

#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace gridlib::formats::geotiff {

// Stored samples into 32-bit reals: a sample equal to the nodata value (in
// the file's own type, before any rounding), a real that is not finite or
// below the null value, and a double beyond the float range become the null
// value. `from` holds values.size() samples `stride` samples apart.
void convert_samples(const TiffLayout& layout, const std::byte* from, std::size_t stride, std::span<float> values);

// The bytes of decoded chunks kept, and being decoded at once (one chunk
// may always be, whatever its size).
struct ChunkMemory {
    std::uint64_t kept = std::uint64_t{256} << 20;
    std::uint64_t decoding = std::uint64_t{128} << 20;
};

class TiffRows final : public rows::RowSource, public rows::ConcurrentRows {
public:
    TiffRows(std::string path, const TiffLayout& layout, std::unique_ptr<TiffHandle> handle,
             ChunkMemory memory = {});
    ~TiffRows() override;

    rows::Status read(std::int64_t k, std::span<float> values) override;
    // Null for a strip too large to keep decoded: it is read row by row, in order.
    const ConcurrentRows* concurrent() const override { return by_scanline_ ? nullptr : this; }
    std::size_t scratch_bytes(std::int64_t) const override { return 0; }
    Read read_rows(std::int64_t first, std::int64_t step, std::int64_t count, bool backwards,
                   std::span<std::byte> scratch, std::span<float> values) const override;

private:
    struct Chunk;
    class DecodingRoom;
    // A piece of a chunk: its rows from piece * piece_rows_ on.
    struct Piece {
        std::uint32_t index = 0;  // the chunk, numbered as libtiff numbers them
        std::uint32_t piece = 0;
        std::uint64_t key() const { return std::uint64_t{index} << 32 | piece; }
    };
    std::unique_ptr<TiffHandle> take_handle() const;
    void give_back(std::unique_ptr<TiffHandle> handle) const;
    std::shared_ptr<Chunk> decode(Piece p) const;
    // The decoded piece, claimed for decoding, or (when wait is false and
    // another thread is decoding it) nothing yet.
    std::shared_ptr<const Chunk> chunk(Piece p, bool wait) const;
    bool copy_rows(const Chunk& c, std::uint32_t across, std::uint32_t piece, std::int64_t first, std::int64_t step,
                   std::int64_t from, std::int64_t to, bool backwards, std::int64_t count,
                   std::span<float> values) const;

    const std::string path_;
    const TiffLayout layout_;
    const bool by_scanline_;
    const ChunkMemory memory_;
    const std::uint32_t piece_rows_;     // the rows of a chunk kept together
    const std::uint32_t pieces_;         // per chunk
    const std::uint64_t cache_bytes_;    // kept at most (one piece may exceed it)

    mutable std::mutex handles_mutex_;
    mutable std::vector<std::unique_ptr<TiffHandle>> idle_handles_;

    mutable std::mutex cache_mutex_;
    mutable std::condition_variable decoded_;
    mutable std::condition_variable decoding_room_;
    struct Entry {
        std::uint64_t key = 0;
        std::shared_ptr<Chunk> chunk;  // null while being decoded
    };
    mutable std::list<Entry> cache_;  // the most recently used first
    mutable std::uint64_t kept_bytes_ = 0;      // of the decoded pieces in cache_
    mutable std::uint64_t decoding_bytes_ = 0;  // of the chunks being decoded
    // Chunks decoded for a piece of them leave their buffers for the next
    // decoding, which would otherwise map and fault in fresh pages each
    // time; no more than can be decoding at once.
    mutable std::vector<std::unique_ptr<std::byte[]>> spare_chunks_;

    // The row-by-row reader's handle and row.
    std::unique_ptr<TiffHandle> scanline_handle_;
    std::unique_ptr<std::byte[]> scanline_;
};

}  // namespace gridlib::formats::geotiff
