// Finding and unpacking the bytes of a byte-image row.
#include "formats/byte_image_rows.h"

#include "rows/record_offset.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

namespace gridlib::formats {
namespace {

bool exists(const ByteImageLayout& l, std::int32_t band) { return band >= 1 && band <= l.bands; }

// Reads n bytes at offset into a buffer sized for them; empty when the file
// cannot hold them, which is known before anything is allocated.
std::optional<std::vector<std::byte>> read_bytes(const platform::BorrowedDescriptor& file, std::uint64_t offset,
                                                 std::int64_t n) {
    const auto size = file.size();
    if (!size || offset > *size || static_cast<std::uint64_t>(n) > *size - offset) return std::nullopt;
    std::vector<std::byte> bytes(static_cast<std::size_t>(n));
    if (!file.read_exact_at(offset, bytes)) return std::nullopt;
    return bytes;
}

// values[i] = bytes[first + i * step] for each of the layout's columns.
void widen(const std::vector<std::byte>& bytes, std::int64_t first, std::int64_t step, std::int64_t columns,
           std::uint16_t* values) {
    for (std::int64_t i = 0; i < columns; ++i) {
        values[i] = std::to_integer<std::uint16_t>(bytes[static_cast<std::size_t>(first + i * step)]);
    }
}

// Each band an image of its own: each array's row is read from its band.
rows::Status read_band_rows(const platform::BorrowedDescriptor& file, const ByteImageLayout& l, std::int64_t row,
                      std::span<const BandArray> arrays) {
    for (const BandArray& a : arrays) {
        if (!exists(l, a.band)) continue;
        // The layout's sizes come from 32-bit descriptor words: no overflow here.
        const __int128 band_start = l.data_offset + static_cast<__int128>(a.band - 1) * l.rows * l.row_bytes;
        const auto offset = rows::record_offset(band_start, row, l.row_bytes);
        if (!offset) return GRIDLIB_REFUSED;
        const auto bytes = read_bytes(file, *offset, l.columns);
        if (!bytes) return GRIDLIB_REFUSED;
        widen(*bytes, 0, 1, l.columns, a.values);
    }
    return GRIDLIB_OK;
}

// Bytes of the row up to the last value any array takes; 0 when none does.
std::int64_t bytes_needed(const ByteImageLayout& l, std::span<const BandArray> arrays) {
    if (l.columns == 0 || arrays.empty()) return 0;
    if (l.arrangement == BandArrangement::single_band) return l.columns;
    std::int64_t last_band = 0;
    for (const BandArray& a : arrays) {
        if (exists(l, a.band)) last_band = std::max<std::int64_t>(last_band, a.band);
    }
    if (last_band == 0) return 0;
    return l.arrangement == BandArrangement::pixel_interleaved ? (l.columns - 1) * l.bands + last_band
                                                               : last_band * l.columns;
}

}  // namespace

rows::Status read_byte_image_row(const platform::BorrowedDescriptor& file, const ByteImageLayout& l, std::int64_t row,
                           std::span<const BandArray> arrays) {
    if (l.data_offset < 0 || l.columns < 0 || l.bands < 0 || l.rows < 0 || l.row_bytes < 0) return GRIDLIB_REFUSED;
    const bool single = l.arrangement == BandArrangement::single_band;
    for (std::size_t k = 0; k < arrays.size(); ++k) {
        const bool filled = single ? k == 0 : exists(l, arrays[k].band);
        if (filled && !arrays[k].values) return GRIDLIB_REFUSED;
    }
    if (l.arrangement == BandArrangement::band_sequential) return read_band_rows(file, l, row, arrays);

    const auto offset = rows::record_offset(l.data_offset, row, l.row_bytes);
    if (!offset) return GRIDLIB_REFUSED;
    const std::int64_t needed = bytes_needed(l, arrays);
    if (needed == 0) return GRIDLIB_OK;
    const auto bytes = read_bytes(file, *offset, needed);
    if (!bytes) return GRIDLIB_REFUSED;
    if (single) {
        widen(*bytes, 0, 1, l.columns, arrays[0].values);
        return GRIDLIB_OK;
    }
    for (const BandArray& a : arrays) {
        if (!exists(l, a.band)) continue;
        if (l.arrangement == BandArrangement::pixel_interleaved) {
            widen(*bytes, a.band - 1, l.bands, l.columns, a.values);
        } else {
            widen(*bytes, (a.band - 1) * l.columns, 1, l.columns, a.values);
        }
    }
    return GRIDLIB_OK;
}

}  // namespace gridlib::formats
