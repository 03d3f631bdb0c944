// The shared value planner of the binary grid family.
#include "formats/binary_family.h"

namespace gridlib::formats {

Status plan_binary_family(const RowRequest& request, const BinaryFamilyRules& family, rows::ReadPlan& plan) {
    auto file = platform::File::open_read(request.grid_name);
    if (!file) return GRIDLIB_REFUSED;
    return plan_binary_family(std::move(*file), request, family, plan);
}

Status plan_binary_family(platform::File file, const RowRequest& request, const BinaryFamilyRules& family,
                          rows::ReadPlan& plan) {
    const DescriptorView& d = request.d;

    const std::int64_t size = element_size(d);
    rows::ElementLayout layout;
    layout.blocks_of_64 = family.blocks_of_64;
    if (family.blocks_of_64 && size != bytes_of(ElementSize::int16) && size != bytes_of(ElementSize::real32))
        return GRIDLIB_NOT_HANDLED;
    switch (size) {
        case bytes_of(ElementSize::real64): layout.kind = rows::ElementKind::real64; break;
        case bytes_of(ElementSize::real32): layout.kind = rows::ElementKind::real32; break;
        case bytes_of(ElementSize::int16): layout.kind = rows::ElementKind::int16; break;
        default: return GRIDLIB_NOT_HANDLED;  // no decoding is defined for other element sizes
    }

    const rows::Directions dir = rows::directions_of(d.storage_order());
    if (size != bytes_of(ElementSize::real32)) {
        plan.rules = rows::ValueRules::matching_null(d.null_value(), kNullTolerance);
    } else if (family.real_null_tolerance > 0) {
        plan.rules = rows::ValueRules::matching_null(d.null_value(), family.real_null_tolerance);
    }
    plan.rules.reverse = dir.reverse_columns;
    plan.rules.add_scaling(d.base(), d.scale_divisor());
    plan.north_first = dir.north_first && !family.always_south_first;

    // The blocks of 64 are a layout of stored rows; stored columns have none.
    if (dir.columns_stored && layout.blocks_of_64) return GRIDLIB_NOT_HANDLED;
    layout.swap_bytes = dir.columns_stored && d.most_significant_first();
    const rows::RawValues values{layout, d.data_offset(), d.columns(), d.rows(), dir.columns_stored};
    return rows::plan_raw_values(std::move(file), values, request.rows, plan);
}

}  // namespace gridlib::formats
