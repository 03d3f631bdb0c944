// "$$BGD" binary grids: a 512-byte header of big-endian words followed by
// big-endian 32-bit reals, northern row first.
#include "formats/binary_fields.h"
#include "formats/driver.h"

#include <array>
#include <optional>
#include <string>

namespace gridlib::formats {
namespace {

using BgdHeader = std::array<std::byte, 512>;
constexpr Endian be = Endian::big;

// Fills d from the header, which is left in h.
Status read_fields(platform::File& file, DescriptorView& d, BgdHeader& h) {
    if (!file.read_exact(h)) return GRIDLIB_BINARY_TOO_SHORT;

    d.data_offset() = 512;
    d.value_type() = GRIDLIB_ELEMENT_REAL32;
    d.set_byte_order(ByteOrder::most_significant_first);
    // The storage order word is left as it was: these files always hold rows,
    // northern row first, whatever it says.

    d.west_x() = real32_at(h, 88, be);
    d.east_x() = real32_at(h, 92, be);
    d.south_y() = real32_at(h, 96, be);
    d.north_y() = real32_at(h, 100, be);
    d.rows() = int32_at(h, 112, be);
    d.columns() = int32_at(h, 116, be);
    d.column_spacing() = real32_at(h, 120, be);
    d.row_spacing() = real32_at(h, 124, be);
    d.data_min() = real32_at(h, 144, be);
    d.data_max() = real32_at(h, 148, be);

    // The stated extent runs along the outer cell edges; we place columns and
    // rows by their centres.
    d.west_x() += d.column_spacing() / 2;
    d.east_x() -= d.column_spacing() / 2;
    d.south_y() += d.row_spacing() / 2;
    d.north_y() -= d.row_spacing() / 2;

    d.rotation() = real32_at(h, 216, be);
    d.null_value() = real32_at(h, 232, be);
    d.mean() = d.std_dev() = d.null_value();
    return check_data_extent(file, d, 512, 4 * static_cast<std::uint64_t>(d.columns()));
}

Status read_header(platform::File& file, DescriptorView& d) {
    BgdHeader h{};
    return read_fields(file, d, h);
}

// The stated west and south edges: moved half a cell in, as 32-bit reals,
// they lose the last bits that place the grid.
std::optional<GridPlacement> read_placement(const std::string& grid_name, const DescriptorView& d) {
    BgdHeader h{};
    if (!read_again(grid_name, d, read_fields, h)) return std::nullopt;
    const double column_width = real32_at(h, 120, be), row_height = real32_at(h, 124, be);
    return placement_from_point(CellPoint::lower_left_corner, real32_at(h, 88, be), real32_at(h, 96, be),
                                column_width, row_height, d.rows());
}

Status plan_rows(const RowRequest& request, rows::ReadPlan& plan) {
    const DescriptorView& d = request.d;
    auto file = platform::File::open_read(request.grid_name);
    if (!file) return GRIDLIB_REFUSED;
    const auto n = static_cast<std::int64_t>(d.columns());
    const rows::ElementLayout layout{rows::ElementKind::real32, d.most_significant_first(), false};
    const rows::RowPlacement placement{d.data_offset(), n * 4, static_cast<std::uint64_t>(n) * 4,
                                       GRIDLIB_ROW_SEEK_FAILED};
    // Cells equal to the header's null value are null.
    plan.rules = rows::ValueRules::matching_null(d.null_value(), rows::kExactNullTolerance);
    plan.north_first = true;
    return rows::plan_row_reads(std::move(*file), layout, placement, d.rows(), request.rows, plan);
}

bool bgd_signature(const FirstBytes& b, DescriptorView&) { return b.starts_with("$$BGD"); }

constexpr std::string_view kExtensions[] = {".bgd", ".BGD"};
constexpr ContentTest kContentTests[] = {bgd_signature};

// Its rows are positioned reads: the status of row 2000's failure is also a
// failed positioning.
constexpr StatusWords kReadStatuses[] = {{GRIDLIB_ROW_SEEK_FAILED, "positioning within the file failed"}};

}  // namespace

extern constinit const Driver bgd_driver{
    .format = FormatCode::bgd,
    .name = "$$BGD",
    // The header states the outer edges, which the reader moves half a cell inward.
    .cell_point = CellPoint::centre,
    .extensions = kExtensions,
    .content_tests = kContentTests,
    .read_header = read_header,
    .read_placement = read_placement,
    .plan_rows = plan_rows,
    .read_statuses = kReadStatuses,
};

}  // namespace gridlib::formats
