// The PNG's blocks filtered and deflated with zlib.
#include "image/png_blocks.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <new>

namespace gridlib::png {
namespace {

// Chosen with bench/image_bench on a 4000 x 4000 grid. Deflating is most of
// the cost of a PNG, so zlib's fastest level that compresses at all: the
// default level 6 takes twice as long for a file a third smaller. Deflate
// looks only for runs (matches one byte back) in palette indices: after the
// up filter (below) they are what the data holds, and finding them is
// cheaper than a search. Compression::matches searches instead.
constexpr int kCompressionLevel = 1;
constexpr int kStrategy = Z_RLE;
constexpr int kWindowBits = 15;  // the 32 KiB window the header states
constexpr int kMemoryLevel = 8;  // zlib's default

// PNG filter types. Each line is stored less the line above ("up"):
// neighbouring lines of a grid differ little, and replicated lines not at
// all, so deflate meets long runs of zeros, in palette images too, whose
// ramp of colours is ordered by value. A block's first line has no line
// above it in the block, and is stored less the pixel to its left ("sub").
constexpr std::byte kSub{1};
constexpr std::byte kUp{2};

// The zlib header: deflate with a 32 KiB window, the fastest compression
// level, no preset dictionary, and the check bits that make it a multiple
// of 31.
constexpr std::array<std::byte, 2> kZlibHeader{std::byte{0x78}, std::byte{0x01}};
static_assert((0x78 * 256 + 0x01) % 31 == 0);

constexpr std::size_t kFirstOutput = 64 * 1024;
// Deflate's best: a match of 258 bytes in one code of about two bits.
constexpr std::uint64_t kBestRatio = 1032;
// zlib counts its input and output in unsigned ints.
constexpr std::size_t kLargestPiece = UINT_MAX;

}  // namespace

BlockCompressor::BlockCompressor(std::size_t line_bytes, std::size_t pixel_bytes, Compression compression)
    : line_bytes_(line_bytes), pixel_bytes_(pixel_bytes), filtered_(line_bytes + 1) {
    zlib_ = new z_stream{};
    const int strategy = compression == Compression::runs ? kStrategy : Z_DEFAULT_STRATEGY;
    if (deflateInit2(zlib_, kCompressionLevel, Z_DEFLATED, -kWindowBits, kMemoryLevel, strategy) != Z_OK) {
        delete zlib_;
        throw std::bad_alloc();  // the only way it fails with these arguments
    }
}

BlockCompressor::~BlockCompressor() {
    deflateEnd(zlib_);
    delete zlib_;
}

std::uint64_t BlockCompressor::least_memory(std::size_t line_bytes, std::int64_t lines, std::int64_t replication) {
    const std::uint64_t filtered_line = std::uint64_t{line_bytes} + 1;
    const std::uint64_t repeated_line = replication > 1 ? filtered_line : 0;
    // A PNG line of fewer than 2^31 pixels holds fewer than 2^33 bytes and
    // is stored fewer than 2^31 times: the product stays below 2^64. Lines
    // share a block only when they hold less than a block's bytes.
    const std::uint64_t stream_per_line = filtered_line * static_cast<std::uint64_t>(replication) / kBestRatio;
    return filtered_line + repeated_line + stream_per_line * static_cast<std::uint64_t>(lines);
}

bool BlockCompressor::compress(std::span<const std::byte> lines, std::int64_t replication, bool last) {
    if (deflateReset(zlib_) != Z_OK) return false;
    used_ = 0;
    checksum_ = 1;
    filtered_bytes_ = 0;
    last_ = last;
    if (replication > 1 && repeated_.empty()) {
        repeated_.assign(line_bytes_ + 1, std::byte{0});
        repeated_[0] = kUp;
    }
    auto* const out = reinterpret_cast<unsigned char*>(filtered_.data() + 1);
    const std::size_t n = line_bytes_, left = std::min(pixel_bytes_, n);
    for (std::size_t at = 0; at < lines.size(); at += n) {
        const auto* line = reinterpret_cast<const unsigned char*>(lines.data() + at);
        if (at == 0) {
            filtered_[0] = kSub;
            std::copy_n(line, left, out);
            for (std::size_t i = left; i < n; ++i) out[i] = static_cast<unsigned char>(line[i] - line[i - left]);
        } else {
            filtered_[0] = kUp;
            const unsigned char* above = line - n;
            for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<unsigned char>(line[i] - above[i]);
        }
        if (!deflate_bytes(filtered_, Z_NO_FLUSH)) return false;
        for (std::int64_t r = 1; r < replication; ++r)
            if (!deflate_bytes(repeated_, Z_NO_FLUSH)) return false;
    }
    // A sync flush ends the block's stream on a byte boundary without
    // marking it the last, so the next block's stream can follow.
    return deflate_bytes({}, last ? Z_FINISH : Z_SYNC_FLUSH);
}

bool BlockCompressor::deflate_bytes(std::span<const std::byte> bytes, int flush) {
    // adler32 of no buffer at all is its starting value, not the sum so far.
    if (!bytes.empty())
        checksum_ = static_cast<std::uint32_t>(
            adler32_z(checksum_, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
    filtered_bytes_ += bytes.size();
    for (;;) {
        const std::size_t piece = std::min(bytes.size(), kLargestPiece);
        const bool whole = piece == bytes.size();
        zlib_->next_in = const_cast<Bytef*>(reinterpret_cast<const Bytef*>(bytes.data()));
        zlib_->avail_in = static_cast<uInt>(piece);
        const int mode = whole ? flush : Z_NO_FLUSH;
        // Deflate until it has taken the piece and, when flushing, has room
        // left over: then it has written everything out.
        for (;;) {
            if (used_ == output_.size()) grow_output();
            zlib_->next_out = reinterpret_cast<Bytef*>(output_.data() + used_);
            zlib_->avail_out = static_cast<uInt>(std::min(output_.size() - used_, kLargestPiece));
            const uInt room = zlib_->avail_out;
            const int result = deflate(zlib_, mode);
            used_ += room - zlib_->avail_out;
            if (result == Z_STREAM_ERROR) return false;
            if (mode == Z_FINISH ? result == Z_STREAM_END : zlib_->avail_in == 0 && zlib_->avail_out > 0) break;
        }
        if (whole) return true;
        bytes = bytes.subspan(piece);
    }
}

void BlockCompressor::grow_output() { output_.resize(std::max(kFirstOutput, 2 * output_.size())); }

std::array<std::span<const std::byte>, 3> StreamJoiner::pieces(const BlockCompressor& block) {
    std::span<const std::byte> header;
    if (!started_) {
        header = kZlibHeader;
        started_ = true;
    }
    checksum_ = static_cast<std::uint32_t>(adler32_combine(checksum_, block.checksum(),
                                                           static_cast<z_off_t>(block.filtered_bytes())));
    std::span<const std::byte> trailer;
    if (block.ends_stream()) {
        for (int i = 0; i < 4; ++i) trailer_[static_cast<std::size_t>(i)] = std::byte(checksum_ >> (24 - 8 * i));
        trailer = trailer_;
    }
    return {header, block.stream(), trailer};
}

}  // namespace gridlib::png
