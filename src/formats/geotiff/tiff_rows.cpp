// Decoding the strips and tiles of a TIFF band into rows of reals.
#include "formats/geotiff/tiff_rows.h"

#include "descriptor/grid_descriptor.h"

#include <tiffio.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <new>
#include <type_traits>

namespace gridlib::formats::geotiff {
namespace {

// A strip decoded whole would take more than this: it is read row by row
// instead (libtiff decodes a strip's rows in order without holding it), so
// that a file stored as one strip never costs the memory of the image.
constexpr std::uint64_t kLargestKeptStrip = 16u << 20;

// Bands of chunks (or of pieces) kept decoded at most: the band of rows
// being read and the next ones that blocks on other threads are reading.
constexpr std::uint64_t kCachedBands = 4;

template <typename T>
T load(const std::byte* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

float from_real(double v) {
    return std::isfinite(v) && v >= static_cast<double>(kNullValue) && v <= static_cast<double>(FLT_MAX)
               ? static_cast<float>(v)
               : kNullValue;
}

template <typename T>
void convert_as(const std::byte* from, std::size_t stride, std::span<float> values,
                const std::optional<double>& nodata) {
    const std::size_t step = stride * sizeof(T);
    const double null = nodata.value_or(0.0);
    const bool has_null = nodata.has_value();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const T v = load<T>(from + i * step);
        if (has_null && static_cast<double>(v) == null) {
            values[i] = kNullValue;
        } else if constexpr (std::is_floating_point_v<T>) {
            values[i] = from_real(static_cast<double>(v));
        } else {
            values[i] = static_cast<float>(v);
        }
    }
}

}  // namespace

void convert_samples(const TiffLayout& layout, const std::byte* from, std::size_t stride, std::span<float> values) {
    const auto& nodata = layout.nodata;
    switch (layout.kind) {
        case SampleKind::real:
            if (layout.sample_bytes == 8) return convert_as<double>(from, stride, values, nodata);
            return convert_as<float>(from, stride, values, nodata);
        case SampleKind::signed_integer:
            if (layout.sample_bytes == 1) return convert_as<std::int8_t>(from, stride, values, nodata);
            if (layout.sample_bytes == 2) return convert_as<std::int16_t>(from, stride, values, nodata);
            return convert_as<std::int32_t>(from, stride, values, nodata);
        case SampleKind::unsigned_integer:
            if (layout.sample_bytes == 1) return convert_as<std::uint8_t>(from, stride, values, nodata);
            if (layout.sample_bytes == 2) return convert_as<std::uint16_t>(from, stride, values, nodata);
            return convert_as<std::uint32_t>(from, stride, values, nodata);
    }
}

struct TiffRows::Chunk {
    std::unique_ptr<std::byte[]> bytes;
    std::uint64_t size = 0;     // bytes held
    std::uint64_t decoded = 0;  // of them, those libtiff filled; 0 when it failed
};

namespace {

// The rows of a chunk kept together: all of them while a row of chunks
// across the image fits the cache twice (the band being read and the next
// one), else as many as do. The layout's bounds keep the products in range.
std::uint32_t piece_rows_of(const TiffLayout& layout, std::uint64_t kept) {
    const std::uint64_t across = std::uint64_t{layout.chunks_across()} * layout.chunk_row_bytes();
    const std::uint64_t fitting = kept / 2 / std::max<std::uint64_t>(across, 1);
    return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(fitting, 1, layout.chunk_rows));
}

}  // namespace

// Room among the chunks being decoded, waited for and held for as long as it lives.
class TiffRows::DecodingRoom {
public:
    explicit DecodingRoom(const TiffRows& rows) : rows_(rows), bytes_(rows.layout_.chunk_bytes) {
        std::unique_lock lock(rows_.cache_mutex_);
        rows_.decoding_room_.wait(lock, [&] {
            return rows_.decoding_bytes_ == 0 || rows_.decoding_bytes_ + bytes_ <= rows_.memory_.decoding;
        });
        rows_.decoding_bytes_ += bytes_;
    }
    ~DecodingRoom() {
        {
            const std::lock_guard lock(rows_.cache_mutex_);
            rows_.decoding_bytes_ -= bytes_;
        }
        rows_.decoding_room_.notify_all();
    }
    DecodingRoom(const DecodingRoom&) = delete;
    DecodingRoom& operator=(const DecodingRoom&) = delete;

private:
    const TiffRows& rows_;
    const std::uint64_t bytes_;
};

TiffRows::TiffRows(std::string path, const TiffLayout& layout, std::unique_ptr<TiffHandle> handle,
                   ChunkMemory memory)
    : path_(std::move(path)),
      layout_(layout),
      by_scanline_(!layout.tiled && layout.chunk_rows > 1 && layout.chunk_bytes > kLargestKeptStrip),
      memory_(memory),
      piece_rows_(piece_rows_of(layout, memory.kept)),
      pieces_((layout.chunk_rows - 1) / piece_rows_ + 1),
      cache_bytes_(std::min(memory.kept, kCachedBands * layout.chunks_across() *
                                             (pieces_ == 1 ? layout.chunk_bytes
                                                           : piece_rows_ * layout.chunk_row_bytes()))) {
    if (!by_scanline_) {
        idle_handles_.push_back(std::move(handle));
        return;
    }
    const std::uint64_t ours = std::uint64_t{layout.columns} * layout.interleaved() * layout.sample_bytes;
    scanline_ = std::make_unique_for_overwrite<std::byte[]>(
        std::max<std::uint64_t>(ours, TIFFScanlineSize64(handle->get())));
    scanline_handle_ = std::move(handle);
}

TiffRows::~TiffRows() = default;

std::unique_ptr<TiffHandle> TiffRows::take_handle() const {
    {
        const std::lock_guard lock(handles_mutex_);
        if (!idle_handles_.empty()) {
            auto handle = std::move(idle_handles_.back());
            idle_handles_.pop_back();
            return handle;
        }
    }
    return TiffHandle::open(path_);
}

void TiffRows::give_back(std::unique_ptr<TiffHandle> handle) const {
    const std::lock_guard lock(handles_mutex_);
    idle_handles_.push_back(std::move(handle));
}

std::shared_ptr<TiffRows::Chunk> TiffRows::decode(Piece p) const {
    auto c = std::make_shared<Chunk>();
    try {
        auto handle = take_handle();
        if (!handle) return c;
        const DecodingRoom room(*this);
        std::unique_ptr<std::byte[]> whole;
        if (pieces_ > 1) {
            const std::lock_guard lock(cache_mutex_);
            if (!spare_chunks_.empty()) {
                whole = std::move(spare_chunks_.back());
                spare_chunks_.pop_back();
            }
        }
        if (!whole) whole = std::make_unique_for_overwrite<std::byte[]>(layout_.chunk_bytes);
        const std::uint64_t errors = handle->errors();
        const auto size = static_cast<tmsize_t>(layout_.chunk_bytes);
        const tmsize_t got = layout_.tiled ? TIFFReadEncodedTile(handle->get(), p.index, whole.get(), size)
                                           : TIFFReadEncodedStrip(handle->get(), p.index, whole.get(), size);
        // A decoder may report damage and still fill the buffer: its values are not the file's.
        const bool good = got > 0 && handle->errors() == errors;
        give_back(std::move(handle));
        if (!good) {
            if (pieces_ > 1) {
                const std::lock_guard lock(cache_mutex_);
                spare_chunks_.push_back(std::move(whole));
            }
            return c;
        }
        const auto filled = static_cast<std::uint64_t>(got);
        if (pieces_ == 1) {
            c->bytes = std::move(whole);
            c->size = layout_.chunk_bytes;
            c->decoded = filled;
            return c;
        }
        // Only the piece's rows are kept; the chunk goes with the room.
        const std::uint64_t piece_bytes = std::uint64_t{piece_rows_} * layout_.chunk_row_bytes();
        const std::uint64_t from = p.piece * piece_bytes;
        c->size = std::min(piece_bytes, layout_.chunk_bytes - from);
        c->bytes = std::make_unique_for_overwrite<std::byte[]>(c->size);
        c->decoded = filled > from ? std::min(filled - from, c->size) : 0;
        std::memcpy(c->bytes.get(), whole.get() + from, c->decoded);
        const std::lock_guard lock(cache_mutex_);
        spare_chunks_.push_back(std::move(whole));
    } catch (const std::bad_alloc&) {
        *c = Chunk{};
    }
    return c;
}

std::shared_ptr<const TiffRows::Chunk> TiffRows::chunk(Piece p, bool wait) const {
    const std::uint64_t key = p.key();
    std::unique_lock lock(cache_mutex_);
    for (;;) {
        const auto hit = std::ranges::find(cache_, key, &Entry::key);
        if (hit == cache_.end()) break;
        if (hit->chunk) {
            cache_.splice(cache_.begin(), cache_, hit);
            return hit->chunk;
        }
        if (!wait) return nullptr;
        decoded_.wait(lock);
    }
    // Only decoded pieces leave, the least recently used first, and never
    // `keep`; a reader still holding one keeps it alive.
    const auto evict = [&](std::uint64_t room, const std::shared_ptr<Chunk>& keep) {
        for (auto it = cache_.end(); kept_bytes_ + room > cache_bytes_ && it != cache_.begin();) {
            --it;
            if (it->chunk && it->chunk != keep) {
                kept_bytes_ -= it->chunk->size;
                it = cache_.erase(it);
            }
        }
    };
    cache_.push_front(Entry{key, nullptr});
    evict(pieces_ == 1 ? layout_.chunk_bytes : piece_rows_ * layout_.chunk_row_bytes(), nullptr);
    lock.unlock();
    auto decoded = decode(p);
    lock.lock();
    if (const auto entry = std::ranges::find(cache_, key, &Entry::key); entry != cache_.end()) {
        entry->chunk = decoded;
        kept_bytes_ += decoded->size;
    }
    // Pieces decoded meanwhile on other threads may have filled the room.
    evict(0, decoded);
    decoded_.notify_all();
    return decoded;
}

bool TiffRows::copy_rows(const Chunk& c, std::uint32_t across, std::uint32_t piece, std::int64_t first,
                         std::int64_t step, std::int64_t from, std::int64_t to, bool backwards, std::int64_t count,
                         std::span<float> values) const {
    const std::size_t n = values.size() / static_cast<std::size_t>(count);
    const std::size_t x0 = std::size_t{across} * layout_.chunk_columns;
    const std::size_t width = std::min<std::size_t>(layout_.chunk_columns, layout_.columns - x0);
    const std::uint64_t row_bytes = layout_.chunk_row_bytes();
    const std::size_t band_offset = layout_.planar ? 0 : std::size_t{layout_.band} * layout_.sample_bytes;
    const std::uint64_t piece_top = std::uint64_t{piece} * piece_rows_;
    for (std::int64_t j = from; j < to; ++j) {
        const auto within = static_cast<std::uint64_t>(first + j * step - 1) % layout_.chunk_rows - piece_top;
        // The last strip may hold fewer rows than the others; fewer than it should is damage.
        if ((within + 1) * row_bytes > c.decoded) return false;
        const auto row = static_cast<std::size_t>(backwards ? count - 1 - j : j);
        convert_samples(layout_, c.bytes.get() + within * row_bytes + band_offset, layout_.interleaved(),
                        values.subspan(row * n + x0, width));
    }
    return true;
}

rows::ConcurrentRows::Read TiffRows::read_rows(std::int64_t first, std::int64_t step, std::int64_t count,
                                               bool backwards, std::span<std::byte>, std::span<float> values) const {
    // The piece of a band of chunks that holds row j, numbered down the image.
    const auto piece_of = [&](std::int64_t j) {
        const auto row = static_cast<std::uint64_t>(first + j * step - 1);
        return row / layout_.chunk_rows * pieces_ + row % layout_.chunk_rows / piece_rows_;
    };
    // Rows narrower than the image would be overrun.
    if (values.size() / static_cast<std::size_t>(count) < layout_.columns) return {0, rows::row_status(first)};
    std::int64_t j = 0;
    while (j < count) {
        const std::uint64_t place = piece_of(j);
        std::int64_t end = j + 1;
        while (end < count && piece_of(end) == place) ++end;
        const auto top = static_cast<std::uint32_t>(place / pieces_ * layout_.chunk_rows);
        const auto piece = static_cast<std::uint32_t>(place % pieces_);
        // Chunks another thread is decoding are copied last, so that threads
        // reading the same band decode its tiles side by side.
        std::vector<std::uint32_t> later;
        bool failed = false;
        const auto take = [&](std::uint32_t across, bool wait) {
            const auto c = chunk({layout_.chunk_index(top, across), piece}, wait);
            if (!c) return false;
            if (!copy_rows(*c, across, piece, first, step, j, end, backwards, count, values)) failed = true;
            return true;
        };
        for (std::uint32_t across = 0; across < layout_.chunks_across() && !failed; ++across) {
            if (!take(across, false)) later.push_back(across);
        }
        for (std::size_t i = 0; i < later.size() && !failed; ++i) take(later[i], true);
        // The band's rows are read only when every chunk across gave them.
        if (failed) return {j, rows::row_status(first + j * step)};
        j = end;
    }
    return {count, 0};
}

rows::Status TiffRows::read(std::int64_t k, std::span<float> values) {
    if (!by_scanline_) return read_rows(k, 1, 1, false, {}, values).status;
    // A row wider than the image would read past the decoded one.
    if (values.size() > layout_.columns) return rows::row_status(k);
    TIFF* tif = scanline_handle_->get();
    const std::uint64_t errors = scanline_handle_->errors();
    const auto sample = static_cast<std::uint16_t>(layout_.planar ? layout_.band : 0);
    if (TIFFReadScanline(tif, scanline_.get(), static_cast<std::uint32_t>(k - 1), sample) != 1 ||
        scanline_handle_->errors() != errors)
        return rows::row_status(k);
    const std::size_t band_offset = layout_.planar ? 0 : std::size_t{layout_.band} * layout_.sample_bytes;
    convert_samples(layout_, scanline_.get() + band_offset, layout_.interleaved(), values);
    return 0;
}

}  // namespace gridlib::formats::geotiff
