// Single-row access to working grids and headerless cell files.
#include "grid/row_access.h"

#include "grid/working_grid.h"
#include "rows/record_offset.h"

#include <optional>
#include <span>

namespace gridlib {
namespace {

// Where a row lies: offset and length in bytes.
struct RowExtent {
    std::uint64_t offset = 0;
    std::size_t bytes = 0;
};

// Row `row` of rows of the descriptor's columns, bytes_per_value each, stored
// one after another from first on.
std::optional<RowExtent> row_extent(const DescriptorView& d, std::uint64_t first, std::int64_t row,
                                    std::int64_t bytes_per_value) {
    if (d.columns_read() < 0) return std::nullopt;
    const std::int64_t bytes = d.columns_read() * bytes_per_value;
    const auto offset = rows::record_offset(first, row, bytes);
    if (!offset) return std::nullopt;
    return RowExtent{*offset, static_cast<std::size_t>(bytes)};
}

std::int32_t status_of(bool moved) { return moved ? GRIDLIB_OK : GRIDLIB_REFUSED; }

}  // namespace

std::int32_t read_working_grid_row(const platform::BorrowedDescriptor& file, const DescriptorView& d,
                                   std::int64_t row, float* values) {
    const auto at = row_extent(d, working_grid::kHeaderBytes, row, sizeof(float));
    return status_of(at && file.read_exact_at(at->offset, {reinterpret_cast<std::byte*>(values), at->bytes}));
}

std::int32_t write_working_grid_row(const platform::BorrowedDescriptor& file, const DescriptorView& d,
                                    std::int64_t row, const float* values) {
    const auto at = row_extent(d, working_grid::kHeaderBytes, row, sizeof(float));
    return status_of(at && file.write_all_at(at->offset, {reinterpret_cast<const std::byte*>(values), at->bytes}));
}

std::int32_t read_cell_file_row(const platform::BorrowedDescriptor& file, const DescriptorView& d,
                                std::int64_t row, std::byte* first_half, std::byte* second_half) {
    const auto at = row_extent(d, 0, row, 4);
    if (!at) return GRIDLIB_REFUSED;
    const std::size_t half = at->bytes / 2;
    return status_of(file.read_exact_at(at->offset, {first_half, half}) &&
                     file.read_exact_at(at->offset + half, {second_half, half}));
}

}  // namespace gridlib
