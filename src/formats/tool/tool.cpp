// "TOOL" binary grids: a 240-byte header of reals, then 4-byte reals in
// rows, northern row first.
#include "formats/binary_family.h"
#include "formats/binary_fields.h"

#include <algorithm>
#include <array>

namespace gridlib::formats {
namespace {

Status read_header(platform::File& file, DescriptorView& d) {
    std::array<std::byte, 240> h{};
    if (!file.read_exact(h)) return GRIDLIB_BINARY_TOO_SHORT;

    d.data_offset() = 240;
    set_element_size(d, ElementSize::real32);
    d.set_storage_order(StorageOrder::rows_from_north_west);
    d.set_byte_order(ByteOrder::least_significant_first);
    d.columns() = truncated_count(real32_at(h, 196));
    d.rows() = truncated_count(real32_at(h, 188));
    d.column_spacing() = real32_at(h, 220);
    d.row_spacing() = real32_at(h, 228);
    d.west_x() = real32_at(h, 204);
    d.south_y() = real32_at(h, 212);
    derive_far_edges(d);
    d.base() = 0.0f;
    d.scale_divisor() = 1.0f;
    d.null_value() = real32_at(h, 180);
    d.set_statistics_to(d.null_value());
    return check_data_extent(file, d, 240, 4 * static_cast<std::uint64_t>(d.columns()));
}

// Cells equal to the header's null value are null.
constexpr BinaryFamilyRules kToolRules{.real_null_tolerance = rows::kExactNullTolerance};

Status plan_rows(const RowRequest& request, rows::ReadPlan& plan) {
    return plan_binary_family(request, kToolRules, plan);
}

bool tool_signature(const FirstBytes& b, DescriptorView&) { return b.starts_with("TOOL"); }

constexpr ContentTest kContentTests[] = {tool_signature};

}  // namespace

extern constinit const Driver tool_driver{
    .format = FormatCode::tool,
    .name = "TOOL",
    // Grid nodes.
    .cell_point = CellPoint::centre,
    .content_tests = kContentTests,
    .read_header = read_header,
    .plan_rows = plan_rows,
};

}  // namespace gridlib::formats
