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

namespace {

// Rows whose records lie back to back, or nearly (record frames between
// them), are read in one piece.
bool read_together(const RowPlacement& p, std::int64_t step) {
    const auto stride = static_cast<std::uint64_t>(p.stride);
    return step == 1 && p.stride > 0 && stride >= p.row_bytes && stride - p.row_bytes <= p.row_bytes;
}

}  // namespace

std::size_t BinaryRowSource::scratch_bytes(std::int64_t count) const {
    // Enough for rows read together, whose records are at most two row
    // lengths apart, and for a single row.
    return static_cast<std::size_t>(count - 1) * 2 * placement_.row_bytes + placement_.row_bytes;
}

ConcurrentRows::Read BinaryRowSource::read_rows(std::int64_t first, std::int64_t step, std::int64_t count,
                                                bool backwards, std::span<std::byte> scratch,
                                                std::span<float> values) const {
    const std::size_t n = values.size() / static_cast<std::size_t>(count);
    const auto decode = [&](std::int64_t j, std::byte* raw) {
        const auto row = static_cast<std::size_t>(backwards ? count - 1 - j : j);
        decode_elements(layout_, {raw, placement_.row_bytes}, values.subspan(row * n, n));
    };
    // The rows whose offsets a file position can express, from the first on.
    std::int64_t reachable = 0;
    while (reachable < count) {
        const __int128 offset = row_offset(placement_, first + reachable * step);
        if (offset < 0 || offset > kMaxOffset) break;
        ++reachable;
    }
    const auto failure = [&](std::int64_t j) {
        const std::int64_t k = first + j * step;
        return Read{j, j < reachable || placement_.positioning_failure == 0 ? row_status(k)
                                                                             : placement_.positioning_failure};
    };
    if (reachable > 0 && read_together(placement_, step)) {
        const auto start = static_cast<std::uint64_t>(row_offset(placement_, first));
        const auto stride = static_cast<std::size_t>(placement_.stride);
        const std::size_t span = static_cast<std::size_t>(reachable - 1) * stride + placement_.row_bytes;
        const std::size_t got = file_.read_at_concurrently(start, scratch.first(span));
        // A row that ends early is a failure: its values are not in the file.
        std::int64_t j = 0;
        for (; j < reachable && static_cast<std::size_t>(j) * stride + placement_.row_bytes <= got; ++j)
            decode(j, scratch.data() + static_cast<std::size_t>(j) * stride);
        return j == count ? Read{count, 0} : failure(j);
    }
    for (std::int64_t j = 0; j < reachable; ++j) {
        const auto offset = static_cast<std::uint64_t>(row_offset(placement_, first + j * step));
        const std::span<std::byte> raw = scratch.first(placement_.row_bytes);
        if (file_.read_at_concurrently(offset, raw) != raw.size()) return failure(j);
        decode(j, raw.data());
    }
    return reachable == count ? Read{count, 0} : failure(reachable);
}

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
