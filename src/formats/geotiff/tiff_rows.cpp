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

// Chunks kept decoded per column of chunks: the band of rows being read and
// the next ones that blocks on other threads are reading.
constexpr std::size_t kCachedBands = 4;

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
    std::uint64_t decoded = 0;  // bytes libtiff filled; 0 when it failed
};

TiffRows::TiffRows(std::string path, const TiffLayout& layout, std::unique_ptr<TiffHandle> handle)
    : path_(std::move(path)),
      layout_(layout),
      by_scanline_(!layout.tiled && layout.chunk_rows > 1 && layout.chunk_bytes > kLargestKeptStrip),
      cache_chunks_(kCachedBands * layout.chunks_across()) {
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

std::shared_ptr<TiffRows::Chunk> TiffRows::decode(std::uint32_t index) const {
    auto c = std::make_shared<Chunk>();
    try {
        auto handle = take_handle();
        if (!handle) return c;
        c->bytes = std::make_unique_for_overwrite<std::byte[]>(layout_.chunk_bytes);
        const std::uint64_t errors = handle->errors();
        const auto size = static_cast<tmsize_t>(layout_.chunk_bytes);
        const tmsize_t got = layout_.tiled ? TIFFReadEncodedTile(handle->get(), index, c->bytes.get(), size)
                                           : TIFFReadEncodedStrip(handle->get(), index, c->bytes.get(), size);
        // A decoder may report damage and still fill the buffer: its values are not the file's.
        if (got > 0 && handle->errors() == errors) c->decoded = static_cast<std::uint64_t>(got);
        give_back(std::move(handle));
    } catch (const std::bad_alloc&) {
        c->bytes.reset();
    }
    return c;
}

std::shared_ptr<const TiffRows::Chunk> TiffRows::chunk(std::uint32_t index, bool wait) const {
    std::unique_lock lock(cache_mutex_);
    for (;;) {
        const auto hit = std::ranges::find(cache_, index, &Entry::index);
        if (hit == cache_.end()) break;
        if (hit->chunk) {
            cache_.splice(cache_.begin(), cache_, hit);
            return hit->chunk;
        }
        if (!wait) return nullptr;
        decoded_.wait(lock);
    }
    cache_.push_front(Entry{index, nullptr});
    // Only decoded chunks leave; a reader still holding one keeps it alive.
    for (auto it = cache_.end(); cache_.size() > cache_chunks_ && it != cache_.begin();) {
        --it;
        if (it->chunk) it = cache_.erase(it);
    }
    lock.unlock();
    auto decoded = decode(index);
    lock.lock();
    const auto entry = std::ranges::find(cache_, index, &Entry::index);
    if (entry != cache_.end()) entry->chunk = decoded;
    decoded_.notify_all();
    return decoded;
}

bool TiffRows::copy_rows(const Chunk& c, std::uint32_t across, std::int64_t first, std::int64_t step,
                         std::int64_t from, std::int64_t to, bool backwards, std::int64_t count,
                         std::span<float> values) const {
    const std::size_t n = values.size() / static_cast<std::size_t>(count);
    const std::size_t x0 = std::size_t{across} * layout_.chunk_columns;
    const std::size_t width = std::min<std::size_t>(layout_.chunk_columns, layout_.columns - x0);
    const std::uint64_t row_bytes = layout_.chunk_row_bytes();
    const std::size_t band_offset = layout_.planar ? 0 : std::size_t{layout_.band} * layout_.sample_bytes;
    for (std::int64_t j = from; j < to; ++j) {
        const auto within = static_cast<std::uint64_t>(first + j * step - 1) % layout_.chunk_rows;
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
    const auto band_of = [&](std::int64_t j) {
        return static_cast<std::uint32_t>((first + j * step - 1) / layout_.chunk_rows);
    };
    // Rows narrower than the image would be overrun.
    if (values.size() / static_cast<std::size_t>(count) < layout_.columns) return {0, rows::row_status(first)};
    std::int64_t j = 0;
    while (j < count) {
        const std::uint32_t band = band_of(j);
        std::int64_t end = j + 1;
        while (end < count && band_of(end) == band) ++end;
        const auto top = band * layout_.chunk_rows;
        // Chunks another thread is decoding are copied last, so that threads
        // reading the same band decode its tiles side by side.
        std::vector<std::uint32_t> later;
        bool failed = false;
        const auto take = [&](std::uint32_t across, bool wait) {
            const auto c = chunk(layout_.chunk_index(top, across), wait);
            if (!c) return false;
            if (!copy_rows(*c, across, first, step, j, end, backwards, count, values)) failed = true;
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
