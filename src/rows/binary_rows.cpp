// Row-stored binary grids: one positioned read per stored row.
#include "rows/binary_rows.h"

#include <algorithm>
#include <limits>

namespace gridlib::rows {
namespace {

constexpr __int128 kMaxOffset = std::numeric_limits<std::int64_t>::max();

__int128 row_offset(const RowPlacement& p, std::int64_t k) {
    return static_cast<__int128>(p.first_offset) + static_cast<__int128>(k - 1) * p.stride;
}

}  // namespace

bool placement_fits(const RowPlacement& p, std::int64_t rows) {
    const __int128 a = row_offset(p, 1), b = row_offset(p, rows);
    return std::max(a, b) + static_cast<__int128>(p.row_bytes) <= kMaxOffset;
}

Status unreadable_row_status(const RowPlacement& p, std::int64_t k, std::uint64_t file_size) {
    const __int128 offset = row_offset(p, k);
    if (offset < 0 || offset > kMaxOffset) return p.positioning_failure != 0 ? p.positioning_failure : row_status(k);
    return offset + static_cast<__int128>(p.row_bytes) > static_cast<__int128>(file_size) ? row_status(k) : 0;
}

BinaryRowSource::BinaryRowSource(platform::File file, ElementLayout layout, RowPlacement placement)
    : file_(std::move(file)),
      layout_(layout),
      placement_(placement),
      raw_(std::make_unique_for_overwrite<std::byte[]>(placement.row_bytes)) {}

Status BinaryRowSource::read(std::int64_t k, std::span<float> values) {
    const __int128 offset = row_offset(placement_, k);
    if (offset < 0 || offset > kMaxOffset || !file_.seek(static_cast<std::uint64_t>(offset))) {
        return placement_.positioning_failure != 0 ? placement_.positioning_failure : row_status(k);
    }
    const std::span<std::byte> raw(raw_.get(), placement_.row_bytes);
    // A row that ends early is a failure: its values are not in the file.
    if (!file_.read_exact(raw)) return row_status(k);
    decode_elements(layout_, raw, values);
    return 0;
}

}  // namespace gridlib::rows
