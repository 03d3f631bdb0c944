// Surfer binary grids: version 6 ("DSBB", a fixed 56-byte header, 32-bit
// reals) and version 7 ("DSRB", tagged sections, 64-bit reals). Both store
// their rows from the southern one up, whatever else they say.
#include "bytes/portable_double.h"
#include "formats/binary_family.h"
#include "formats/binary_fields.h"

#include <array>
#include <bit>
#include <optional>
#include <string>

namespace gridlib::formats {
namespace {

// Surfer marks blank cells with this value (bit pattern 7EFFFFEE).
const float kSurferBlank = std::bit_cast<float>(std::uint32_t{0x7EFFFFEE});

// Surfer's 8-byte reals, least significant byte first.
double surfer_real(std::span<const std::byte> b, std::size_t at) {
    return decode_portable_double(std::span<const std::byte, 8>(b.data() + at, 8), false);
}

std::uint32_t tag_of(const char (&name)[5]) {
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(name[k]);
    return v;
}

using Surfer6Header = std::array<std::byte, 56>;
// The GRID section of a Surfer 7 file, up to the blank value.
using Surfer7Geometry = std::array<std::byte, 72>;

// Fills d from the header, which is left in h.
Status read_surfer6_fields(platform::File& file, DescriptorView& d, Surfer6Header& h) {
    if (!file.read_exact(h)) return GRIDLIB_BINARY_TOO_SHORT;

    d.columns() = int16_at(h, 4);
    d.rows() = int16_at(h, 6);
    d.data_offset() = 56;
    set_element_size(d, ElementSize::real32);
    d.set_storage_order(StorageOrder::rows_from_south_west);
    d.set_byte_order(ByteOrder::least_significant_first_always);
    // The header states the first and last column and row, not the origin and spacing.
    d.west_x() = narrow(surfer_real(h, 8));
    d.east_x() = narrow(surfer_real(h, 16));
    d.south_y() = narrow(surfer_real(h, 24));
    d.north_y() = narrow(surfer_real(h, 32));
    // A single column or row has no spacing to derive; 0 rather than a division by zero.
    d.column_spacing() = d.columns() > 1 ? narrow((double(d.east_x()) - d.west_x()) / (d.columns() - 1)) : 0.0f;
    d.row_spacing() = d.rows() > 1 ? narrow((double(d.north_y()) - d.south_y()) / (d.rows() - 1)) : 0.0f;
    d.null_value() = kSurferBlank;
    d.base() = 0.0f;
    d.scale_divisor() = 1.0f;
    d.data_min() = narrow(surfer_real(h, 40));
    d.data_max() = narrow(surfer_real(h, 48));
    d.mean() = d.std_dev() = d.null_value();
    return check_data_extent(file, d, 56, 4 * static_cast<std::uint64_t>(d.columns()));
}

Status read_surfer6_header(platform::File& file, DescriptorView& d) {
    Surfer6Header h{};
    return read_surfer6_fields(file, d, h);
}

// A Surfer 7 file is a chain of sections, each a 4-character tag and a 32-bit
// length followed by that many bytes: the "DSRB" header first, then "GRID"
// with the geometry, then "DATA" with the values, and possibly others (fault
// lines) after the data, which are never reached. We walk the chain by the
// stated lengths, so a header or grid section longer than usual still leads
// to the data. A section of another kind before the data is refused: what it
// would mean for the grid is unknown, and guessing could draw the wrong bytes.
// The GRID section is left in g.
Status read_surfer7_sections(platform::File& file, DescriptorView& d, Surfer7Geometry& g) {
    const auto file_size = file.size();
    if (!file_size) return GRIDLIB_BINARY_TOO_SHORT;

    bool grid_seen = false;
    bool first = true;
    std::uint64_t at = 0;
    for (;;) {
        std::array<std::byte, 8> section{};
        if (!file.seek(at) || !file.read_exact(section)) return GRIDLIB_BINARY_TOO_SHORT;
        const std::uint32_t tag = word32(section, 0);
        const std::int32_t length = int32_at(section, 4);
        if (length < 0) return GRIDLIB_NO_USABLE_SIZE;
        const std::uint64_t body = at + 8;
        const std::uint64_t next = body + static_cast<std::uint64_t>(length);

        if (first && tag != tag_of("DSRB")) return GRIDLIB_NO_USABLE_SIZE;
        first = false;

        if (tag == tag_of("DATA")) {
            if (!grid_seen) return GRIDLIB_NO_USABLE_SIZE;
            // The offset must fit the descriptor's 32-bit header-bytes word.
            if (body > 0x7FFFFFFF) return GRIDLIB_NO_USABLE_SIZE;
            d.data_offset() = static_cast<std::int32_t>(body);
            const std::uint64_t row_bytes = 8 * static_cast<std::uint64_t>(d.columns());
            const Status s = check_data_extent(file, d, body, row_bytes);
            if (s != 0) return s;
            // The section must hold the grid too, or the rows would run into
            // whatever section follows it.
            if (static_cast<std::uint64_t>(length) < row_bytes * static_cast<std::uint64_t>(d.rows()))
                return GRIDLIB_BINARY_TOO_SHORT;
            return GRIDLIB_OK;
        }
        if (next > *file_size) return GRIDLIB_BINARY_TOO_SHORT;

        if (tag == tag_of("GRID")) {
            if (length < 72 || !file.read_exact(g)) return GRIDLIB_NO_USABLE_SIZE;
            d.data_offset() = 100;  // replaced by the true offset once the data section is found
            set_element_size(d, ElementSize::real64);
            d.set_storage_order(StorageOrder::rows_from_south_west);
            d.set_byte_order(ByteOrder::least_significant_first_always);
            d.base() = 0.0f;
            d.scale_divisor() = 1.0f;
            d.rows() = int32_at(g, 0);
            d.columns() = int32_at(g, 4);
            d.west_x() = narrow(surfer_real(g, 8));
            d.south_y() = narrow(surfer_real(g, 16));
            d.column_spacing() = narrow(surfer_real(g, 24));
            d.row_spacing() = narrow(surfer_real(g, 32));
            d.data_min() = narrow(surfer_real(g, 40));
            d.data_max() = narrow(surfer_real(g, 48));
            d.rotation() = narrow(surfer_real(g, 56));
            d.null_value() = narrow(surfer_real(g, 64));
            derive_far_edges(d);
            d.mean() = d.std_dev() = d.null_value();
            grid_seen = d.columns() > 0 && d.rows() > 0;
        } else if (tag != tag_of("DSRB")) {
            return GRIDLIB_NO_USABLE_SIZE;
        }
        at = next;
    }
}

Status read_surfer7_header(platform::File& file, DescriptorView& d) {
    Surfer7Geometry g{};
    return read_surfer7_sections(file, d, g);
}

// The header's own doubles, which the descriptor holds as 32-bit reals.
std::optional<GridPlacement> read_surfer6_placement(const std::string& grid_name, const DescriptorView& d) {
    Surfer6Header h{};
    if (!read_again(grid_name, d, read_surfer6_fields, h) || d.columns() < 2 || d.rows() < 2) return std::nullopt;
    const double west = surfer_real(h, 8), east = surfer_real(h, 16);
    const double south = surfer_real(h, 24), north = surfer_real(h, 32);
    return placement_from_point(CellPoint::centre, west, south, (east - west) / (d.columns() - 1),
                                (north - south) / (d.rows() - 1), d.rows());
}

std::optional<GridPlacement> read_surfer7_placement(const std::string& grid_name, const DescriptorView& d) {
    Surfer7Geometry g{};
    if (!read_again(grid_name, d, read_surfer7_sections, g)) return std::nullopt;
    return placement_from_point(CellPoint::centre, surfer_real(g, 8), surfer_real(g, 16), surfer_real(g, 24),
                                surfer_real(g, 32), d.rows());
}

// Blank cells are matched whatever the element size; the rows start in the south.
constexpr BinaryFamilyRules kSurferRules{.always_south_first = true, .real_null_tolerance = kNullTolerance};

Status plan_rows(const RowRequest& request, rows::ReadPlan& plan) {
    return plan_binary_family(request, kSurferRules, plan);
}

bool surfer6_signature(const FirstBytes& b, DescriptorView&) { return b.starts_with("DSBB"); }
bool surfer7_signature(const FirstBytes& b, DescriptorView&) { return b.starts_with("DSRB"); }

constexpr ContentTest kSurfer6ContentTests[] = {surfer6_signature};
constexpr ContentTest kSurfer7ContentTests[] = {surfer7_signature};

constexpr StatusWords kSurfer7Statuses[] = {
    {GRIDLIB_NO_USABLE_SIZE, "the header states no positive column and row count, or its sections do not chain"}};

}  // namespace

extern constinit const Driver surfer6_driver{
    .format = FormatCode::surfer6,
    .name = "Surfer 6",
    // Surfer grids state the nodes of their edge rows and columns.
    .cell_point = CellPoint::centre,
    .content_tests = kSurfer6ContentTests,
    .read_header = read_surfer6_header,
    .read_placement = read_surfer6_placement,
    .plan_rows = plan_rows,
};

extern constinit const Driver surfer7_driver{
    .format = FormatCode::surfer7,
    .name = "Surfer 7",
    .cell_point = CellPoint::centre,
    .content_tests = kSurfer7ContentTests,
    .read_header = read_surfer7_header,
    .read_placement = read_surfer7_placement,
    .plan_rows = plan_rows,
    .header_statuses = kSurfer7Statuses,
};

}  // namespace gridlib::formats
