// Single rows of grid files moved through a descriptor that the caller opened
// and owns: rows of a working grid read and written, and rows of a headerless
// file of 4-byte cells read as two halves. The file's bytes move unchanged.
//
// Rows are numbered from 1 in file order and hold the column count the
// header was read with (columns_read()); the row count is not consulted.
// Each routine returns GRIDLIB_OK, or GRIDLIB_REFUSED when the row number is
// below 1, the column count is negative, or fewer bytes than the row holds
// could be moved: a row beyond the end of the file, a read or write error, a
// full disk. The file position of the descriptor is left alone.
#pragma once

#include "descriptor/grid_descriptor.h"
#include "platform/file.h"

#include <cstddef>
#include <cstdint>

namespace gridlib {

// values: room for the row's values.
std::int32_t read_working_grid_row(const platform::BorrowedDescriptor& file, const DescriptorView& d,
                                   std::int64_t row, float* values);
std::int32_t write_working_grid_row(const platform::BorrowedDescriptor& file, const DescriptorView& d,
                                    std::int64_t row, const float* values);

// A row of 4-byte cells starts at (row - 1) * columns * 4; its first half
// goes to first_half, its second to second_half (columns * 2 bytes each).
std::int32_t read_cell_file_row(const platform::BorrowedDescriptor& file, const DescriptorView& d,
                                std::int64_t row, std::byte* first_half, std::byte* second_half);

}  // namespace gridlib
