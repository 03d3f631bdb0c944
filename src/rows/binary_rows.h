// Binary grids whose stored rows lie at fixed byte offsets, each read whole
// with one read: row-stored binary grids, ER Mapper bands, record-framed rows.
#pragma once

#include "rows/elements.h"
#include "rows/row_source.h"
#include "platform/file.h"

#include <cstdint>
#include <memory>

namespace gridlib::rows {

struct RowPlacement {
    // Stored row k begins at first_offset + (k - 1) * stride.
    std::int64_t first_offset = 0;
    std::int64_t stride = 0;
    // Bytes read per row: the layout's stored bytes for the columns, or more
    // when a format reserves a larger record than the values fill.
    std::uint64_t row_bytes = 0;
    // Status when a row's offset cannot be reached; 0 means the row's own
    // -1000 - k.
    Status positioning_failure = 0;
};

// True when every row 1..rows of the placement ends at an offset a 64-bit
// file position can express.
bool placement_fits(const RowPlacement& p, std::int64_t rows);

// The status reading stored row k would end with because a file of file_size
// bytes cannot hold that row, or 0 when it can. Asked before the row buffer
// is allocated: a header may promise rows far larger than its file.
Status unreadable_row_status(const RowPlacement& p, std::int64_t k, std::uint64_t file_size);

class BinaryRowSource final : public RowSource, public ConcurrentRows {
public:
    // Allocates the row buffer (may throw std::bad_alloc).
    BinaryRowSource(platform::File file, ElementLayout layout, RowPlacement placement);
    Status read(std::int64_t k, std::span<float> values) override;
    const ConcurrentRows* concurrent() const override { return this; }
    std::size_t scratch_bytes(std::int64_t count) const override;
    // Consecutive rows close together are read with one read.
    Read read_rows(std::int64_t first, std::int64_t step, std::int64_t count, bool backwards,
                   std::span<std::byte> scratch, std::span<float> values) const override;

private:
    platform::File file_;
    ElementLayout layout_;
    RowPlacement placement_;
    std::unique_ptr<std::byte[]> raw_;
};

}  // namespace gridlib::rows
