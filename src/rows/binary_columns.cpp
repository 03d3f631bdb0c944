// Column-stored binary grids read a block of rows at a time.
#include "rows/binary_columns.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace gridlib::rows {
namespace {

constexpr __int128 kMaxOffset = std::numeric_limits<std::int64_t>::max();

__int128 element_offset(const ColumnPlacement& p, std::size_t element_size, std::int64_t column,
                        std::int64_t k) {
    return static_cast<__int128>(p.first_offset) + static_cast<__int128>(column - 1) * p.column_bytes +
           static_cast<__int128>(k - 1) * element_size;
}

}  // namespace

bool placement_fits(const ColumnPlacement& p, std::size_t element_size) {
    return element_offset(p, element_size, p.columns, p.rows) + static_cast<__int128>(element_size) <= kMaxOffset;
}

Status unreadable_row_status(const ColumnPlacement& p, std::size_t element_size, std::int64_t k,
                             std::uint64_t file_size) {
    // Columns lie one after another, so the first column's element comes
    // first in the file and the last column's last.
    if (element_offset(p, element_size, 1, k) < 0) return kColumnPositioningFailure;
    const __int128 end = element_offset(p, element_size, p.columns, k) + static_cast<__int128>(element_size);
    return end > static_cast<__int128>(file_size) ? row_status(k) : 0;
}

ColumnSource::ColumnSource(platform::File file, ElementLayout layout, ColumnPlacement placement,
                           std::uint64_t budget_bytes)
    : file_(std::move(file)), layout_(layout), placement_(placement), element_size_(layout.element_size()) {
    const std::uint64_t row_bytes = static_cast<std::uint64_t>(placement.columns) * element_size_;
    capacity_rows_ = static_cast<std::int64_t>(std::max<std::uint64_t>(1, budget_bytes / 2 / row_bytes));
    capacity_rows_ = std::min<std::int64_t>(capacity_rows_, std::max<std::int64_t>(1, placement.last_needed));
    const auto bytes = static_cast<std::size_t>(capacity_rows_) * row_bytes;
    block_ = std::make_unique_for_overwrite<std::byte[]>(bytes);
    rows_ = std::make_unique_for_overwrite<std::byte[]>(bytes);
}

namespace {

// Copies tiles of 32 x 32 elements so that both the columns read and the
// rows written stay in cache; element by element across the whole block
// every access would touch another page.
template <std::size_t D>
void transpose(const std::byte* columns, std::byte* rows, std::size_t n, std::size_t count, std::size_t column_stride) {
    constexpr std::size_t kTile = 32;
    for (std::size_t i0 = 0; i0 < n; i0 += kTile) {
        const std::size_t i1 = std::min(n, i0 + kTile);
        for (std::size_t j0 = 0; j0 < count; j0 += kTile) {
            const std::size_t j1 = std::min(count, j0 + kTile);
            for (std::size_t j = j0; j < j1; ++j)
                for (std::size_t i = i0; i < i1; ++i)
                    std::memcpy(rows + (j * n + i) * D, columns + i * column_stride + j * D, D);
        }
    }
}

}  // namespace

Status ColumnSource::load_block(std::int64_t k) {
    block_first_ = k;
    block_rows_ = std::min(capacity_rows_, placement_.last_needed - k + 1);
    block_complete_ = block_rows_;
    const std::size_t chunk = static_cast<std::size_t>(block_rows_) * element_size_;
    const std::size_t column_stride = static_cast<std::size_t>(capacity_rows_) * element_size_;
    for (std::int32_t i = 1; i <= placement_.columns; ++i) {
        const __int128 offset = element_offset(placement_, element_size_, i, k);
        if (offset < 0 || offset > kMaxOffset || !file_.seek(static_cast<std::uint64_t>(offset))) {
            block_rows_ = 0;
            return kColumnPositioningFailure;
        }
        const std::size_t got =
            file_.read(std::span<std::byte>(block_.get() + static_cast<std::size_t>(i - 1) * column_stride, chunk));
        // Later columns lie further into the file, so a file that ends early
        // leaves the rows after the last complete one short in some column.
        block_complete_ = std::min<std::int64_t>(block_complete_, static_cast<std::int64_t>(got / element_size_));
    }
    const auto n = static_cast<std::size_t>(placement_.columns);
    const auto count = static_cast<std::size_t>(block_complete_);
    switch (element_size_) {
        case 8: transpose<8>(block_.get(), rows_.get(), n, count, column_stride); break;
        case 4: transpose<4>(block_.get(), rows_.get(), n, count, column_stride); break;
        case 2: transpose<2>(block_.get(), rows_.get(), n, count, column_stride); break;
        default: transpose<1>(block_.get(), rows_.get(), n, count, column_stride); break;
    }
    return 0;
}

Status ColumnSource::read(std::int64_t k, std::span<float> values) {
    if (k < block_first_ || k >= block_first_ + block_rows_) {
        if (const Status s = load_block(k); s != 0) return s;
    }
    const std::int64_t j = k - block_first_;
    if (j >= block_complete_) return row_status(k);
    const std::size_t row_bytes = static_cast<std::size_t>(placement_.columns) * element_size_;
    decode_elements(layout_, std::span<std::byte>(rows_.get() + static_cast<std::size_t>(j) * row_bytes, row_bytes), values);
    return 0;
}

}  // namespace gridlib::rows
