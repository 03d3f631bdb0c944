// Binary grids that start with "K": a 130-byte header of reals, then rows of
// 16-bit values, each block of 64 values preceded by an element that is not
// a value.
#include "formats/binary_family.h"
#include "formats/binary_fields.h"

#include <algorithm>
#include <array>

namespace gridlib::formats {
namespace {

Status read_header(platform::File& file, DescriptorView& d) {
    std::array<std::byte, 130> h{};
    if (!file.read_exact(h)) return GRIDLIB_BINARY_TOO_SHORT;

    d.data_offset() = 130;
    set_element_size(d, ElementSize::int16);
    d.set_storage_order(StorageOrder::rows_from_south_west);
    d.set_byte_order(ByteOrder::least_significant_first_always);
    d.columns() = truncated_count(real32_at(h, 6));
    d.rows() = truncated_count(real32_at(h, 2));
    d.column_spacing() = real32_at(h, 42);
    d.row_spacing() = real32_at(h, 38);
    d.west_x() = real32_at(h, 22);
    d.south_y() = real32_at(h, 18);
    derive_far_edges(d);
    d.null_value() = real32_at(h, 102);
    d.base() = real32_at(h, 14);
    d.scale_divisor() = real32_at(h, 10);
    d.set_statistics_to(d.null_value());
    // Each block of 64 values is preceded by one element that is not a value.
    const auto n = static_cast<std::uint64_t>(std::max(d.columns(), 1));
    return check_data_extent(file, d, 130, 2 * (n + (n - 1) / 64 + 1));
}

Status plan_rows(const RowRequest& request, rows::ReadPlan& plan) {
    return plan_binary_family(request, {.blocks_of_64 = true}, plan);
}

// "K", then positive reals at offsets 2 and 6.
bool k_and_counts(const FirstBytes& b, DescriptorView&) { return b.real(6) > 0 && b.byte(0) == 'K' && b.real(2) > 0; }

constexpr ContentTest kContentTests[] = {k_and_counts};

}  // namespace

extern constinit const Driver k_blocks_driver{
    .format = FormatCode::k_blocks,
    .name = "K blocks",
    // Grid nodes.
    .cell_point = CellPoint::centre,
    .content_tests = kContentTests,
    .read_header = read_header,
    .plan_rows = plan_rows,
};

}  // namespace gridlib::formats
