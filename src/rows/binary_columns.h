// Binary grids stored as columns: stored row k is made of element k of every
// stored column. Reading element by element would cost one read per value;
// instead a block of consecutive stored rows is read column by column (one
// read per column per block) and transposed, tile by tile, into rows. The
// block's size depends on the column count and a fixed memory budget, never
// on the number of rows.
#pragma once

#include "rows/elements.h"
#include "rows/row_source.h"
#include "platform/file.h"

#include <cstdint>
#include <memory>

namespace gridlib::rows {

struct ColumnPlacement {
    // Column i (1-based) begins at first_offset + (i - 1) * column_bytes.
    std::int64_t first_offset = 0;
    std::uint64_t column_bytes = 0;
    std::int32_t columns = 0;
    // Rows 1..rows are stored; rows beyond last_needed are never read.
    std::int64_t rows = 0;
    std::int64_t last_needed = 0;
};

// Status when an element's offset cannot be reached.
inline constexpr Status kColumnPositioningFailure = GRIDLIB_COLUMN_SEEK_FAILED;

// True when every element of the placement lies at an offset a 64-bit file
// position can express.
bool placement_fits(const ColumnPlacement& p, std::size_t element_size);

// The status reading stored row k would end with because a file of file_size
// bytes cannot hold it (its element in the last column lies beyond the end),
// or 0 when it can. Asked before the block is allocated.
Status unreadable_row_status(const ColumnPlacement& p, std::size_t element_size, std::int64_t k,
                             std::uint64_t file_size);

class ColumnSource final : public RowSource {
public:
    // Allocates the block (may throw std::bad_alloc). The block and its
    // transpose together hold at most budget_bytes, or one row each when a
    // single row needs more.
    ColumnSource(platform::File file, ElementLayout layout, ColumnPlacement placement,
                 std::uint64_t budget_bytes = kDefaultBudget);
    Status read(std::int64_t k, std::span<float> values) override;

    static constexpr std::uint64_t kDefaultBudget = 32u << 20;

private:
    Status load_block(std::int64_t k);

    platform::File file_;
    ElementLayout layout_;
    ColumnPlacement placement_;
    std::size_t element_size_;
    std::int64_t capacity_rows_;      // rows a block can hold
    std::int64_t block_first_ = 0;    // stored row of the block's first row
    std::int64_t block_rows_ = 0;     // rows the block was asked for
    std::int64_t block_complete_ = 0; // rows read in full in every column
    std::unique_ptr<std::byte[]> block_;  // as read: column after column
    std::unique_ptr<std::byte[]> rows_;   // the same values row after row
};

}  // namespace gridlib::rows
