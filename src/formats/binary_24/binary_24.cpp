// The binary grid with a 24-byte header of reals (spacing, counts, origin),
// its values 4-byte reals stored as columns from offset 4096.
#include "formats/binary_family.h"
#include "formats/binary_fields.h"

#include <algorithm>
#include <array>

namespace gridlib::formats {
namespace {

Status read_header(platform::File& file, DescriptorView& d) {
    std::array<std::byte, 24> h{};
    if (!file.read_exact(h)) return GRIDLIB_BINARY_TOO_SHORT;

    d.data_offset() = 4096;
    set_element_size(d, ElementSize::real32);
    d.set_storage_order(StorageOrder::columns_from_south_west);
    d.set_byte_order(ByteOrder::least_significant_first_always);
    d.columns() = truncated_count(real32_at(h, 4));
    d.rows() = truncated_count(real32_at(h, 8));
    d.column_spacing() = d.row_spacing() = real32_at(h, 0);
    d.west_x() = real32_at(h, 12);
    d.south_y() = real32_at(h, 16);
    derive_far_edges(d);
    d.null_value() = -1.0e30f;
    d.base() = 0.0f;
    d.scale_divisor() = 1.0f;
    d.set_statistics_to(d.null_value());
    return check_data_extent(file, d, 4096, 4 * static_cast<std::uint64_t>(d.columns()));
}

Status plan_rows(const RowRequest& request, rows::ReadPlan& plan) {
    return plan_binary_family(request, {}, plan);
}

// A zero real at offset 20 and positive reals at 0, 4 and 8. The size words
// the 512-byte header test parked are cleared: the sizes come from the header.
bool plausible_reals(const FirstBytes& b, DescriptorView& d) {
    if (!(b.real(20) == 0.0f && b.real(8) > 0 && b.real(0) > 0 && b.real(4) > 0)) return false;
    d.columns() = d.rows() = 0;
    return true;
}

constexpr ContentTest kContentTests[] = {plausible_reals};

}  // namespace

extern constinit const Driver binary_24_driver{
    .format = FormatCode::binary_24,
    .name = "binary (24-byte header)",
    // The header states the x and y of the first column and row: grid nodes.
    .cell_point = CellPoint::centre,
    .content_tests = kContentTests,
    .read_header = read_header,
    .plan_rows = plan_rows,
};

}  // namespace gridlib::formats
