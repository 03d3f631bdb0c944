// The binary grid with a 512-byte header (also the layout of our own working
// grid), and its big-endian variant of records framed by length markers.
// Both are told apart by their first bytes, which also leave the variant in
// the descriptor for the header reader and the row planner.
#include "formats/binary_family.h"
#include "formats/binary_fields.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>

namespace gridlib::formats {
namespace {

// The variant is kept in the band-count word, which this format has no other
// use for: 1 for the record-framed variant, 0 for the header variant.
bool record_framed(const DescriptorView& d) { return d.band_count() == 1; }
void set_record_framed(DescriptorView& d, bool framed) { d.band_count() = framed ? 1 : 0; }

// A size the header may state that no read path decodes, with a null of its own.
constexpr std::int64_t kByteElements = 1;

// The header variant states its data range at bytes 160-167, as integers for
// integer elements and as reals for 4-byte reals; -32768 there means none.
void read_stated_range(std::span<const std::byte> h, DescriptorView& d) {
    const std::int32_t w1 = int32_at(h, 160), w2 = int32_at(h, 164);
    const float r1 = real32_at(h, 160), r2 = real32_at(h, 164);
    const auto no_range = [&] { d.data_min() = d.data_max() = d.null_value(); };
    if (w1 == -32768) return no_range();
    if (element_size(d) == bytes_of(ElementSize::real32)) {
        if (r1 < -1.0e30f) return no_range();
        d.data_min() = r1 / d.scale_divisor() + d.base();
        d.data_max() = r2 / d.scale_divisor() + d.base();
        return;
    }
    if (w1 == -32767) return no_range();
    d.data_min() = static_cast<float>(w1) / d.scale_divisor() + d.base();
    d.data_max() = static_cast<float>(w2) / d.scale_divisor() + d.base();
}

Status read_header_variant(platform::File& file, DescriptorView& d) {
    std::array<std::byte, 512> h{};
    if (!file.read_exact(h)) return GRIDLIB_BINARY_TOO_SHORT;

    d.data_offset() = 512;
    const auto element = static_cast<std::int8_t>(h[0]);
    set_element_size(d, element, static_cast<std::int8_t>(h[1]) > 0);
    d.byte_order() = int32_at(h, 4);
    d.columns() = int32_at(h, 8);
    d.rows() = int32_at(h, 12);
    d.storage_order() = int32_at(h, 16);
    float spacing_x = narrow(real64_at(h, 20)), spacing_y = narrow(real64_at(h, 28));
    // Stored columns: the header states the vector length and count, which
    // are our rows and columns the other way round.
    if (rows::directions_of(d.storage_order()).columns_stored) {
        std::swap(d.columns(), d.rows());
        std::swap(spacing_x, spacing_y);
    }
    d.column_spacing() = spacing_x;
    d.row_spacing() = spacing_y;
    d.west_x() = narrow(real64_at(h, 36));
    d.south_y() = narrow(real64_at(h, 44));
    // The real at 52 is a rotation that nothing applies.
    d.base() = narrow(real64_at(h, 60));
    d.scale_divisor() = narrow(real64_at(h, 68));
    derive_far_edges(d);

    switch (element_size(d)) {
        case bytes_of(ElementSize::real32): d.null_value() = kNullValue; break;
        case bytes_of(ElementSize::int16): d.null_value() = -32767.0f; break;
        case kByteElements: d.null_value() = -127.0f; break;
        default: break;  // no null convention for other sizes: keep the caller's
    }
    read_stated_range(h, d);
    d.mean() = d.std_dev() = d.null_value();

    const auto element_bytes = static_cast<std::uint64_t>(element_size(d));
    return check_data_extent(file, d, 512, element_bytes * static_cast<std::uint64_t>(d.columns()));
}

// Cells between two stated edges at a spacing, plus one. The quotient is
// truncated, but a quotient that falls a hair short of a whole number through
// rounding of the stored reals still counts as that number: dropping a column
// would shear every row of the image.
std::int32_t cells_between(float low, float high, float spacing) {
    const double q = (double(high) - double(low)) / double(spacing);
    return truncated_count(q + 1.0 + 1.0e-3);
}

Status read_record_framed_variant(platform::File& file, DescriptorView& d) {
    // One record of 28 bytes framed by 4-byte length markers, written most
    // significant byte first.
    std::array<std::byte, 36> h{};
    if (!file.read_exact(h)) return GRIDLIB_BINARY_TOO_SHORT;

    d.data_offset() = 36;
    set_element_size(d, ElementSize::real32);
    d.set_storage_order(StorageOrder::rows_from_south_west);
    d.west_x() = real32_at(h, 4, Endian::big);
    d.east_x() = real32_at(h, 8, Endian::big);
    d.south_y() = real32_at(h, 12, Endian::big);
    d.north_y() = real32_at(h, 16, Endian::big);
    d.column_spacing() = real32_at(h, 20, Endian::big);
    d.row_spacing() = real32_at(h, 24, Endian::big);
    d.null_value() = real32_at(h, 28, Endian::big);
    d.set_statistics_to(d.null_value());
    d.columns() = cells_between(d.west_x(), d.east_x(), d.column_spacing());
    d.rows() = cells_between(d.south_y(), d.north_y(), d.row_spacing());

    // Every row is a record of its own: two markers around the values.
    const std::uint64_t record = (static_cast<std::uint64_t>(std::max(d.columns(), 0)) + 2) * 4;
    return check_data_extent(file, d, 36, record);
}

Status read_header(platform::File& file, DescriptorView& d) {
    return record_framed(d) ? read_record_framed_variant(file, d) : read_header_variant(file, d);
}

// Big-endian rows framed by 4-byte record markers.
Status plan_framed(platform::File file, const RowRequest& request, rows::ReadPlan& plan) {
    const DescriptorView& d = request.d;
    // The records hold 32-bit reals; any other element size would make the
    // record larger than the values it is decoded into.
    if (element_size(d) != bytes_of(ElementSize::real32)) return GRIDLIB_NOT_HANDLED;
    const auto n = static_cast<std::int64_t>(d.columns());
    const rows::ElementLayout layout{rows::ElementKind::real32, d.most_significant_first(), false};
    const rows::RowPlacement placement{static_cast<std::int64_t>(d.data_offset()) + 4, (n + 2) * 4,
                                       static_cast<std::uint64_t>(n) * 4, 0};
    plan.rules = rows::ValueRules::matching_null(d.null_value(), 1.0e-8);
    plan.north_first = rows::directions_of(d.storage_order()).north_first;
    return rows::plan_row_reads(std::move(file), layout, placement, d.rows(), request.rows, plan);
}

Status plan_rows(const RowRequest& request, rows::ReadPlan& plan) {
    // A file that cannot be opened is refused before its element size is looked at.
    auto file = platform::File::open_read(request.grid_name);
    if (!file) return GRIDLIB_REFUSED;
    // Flagged elements (a negative size) and elements of no size have no decoding.
    if (request.d.value_type() <= 0) return GRIDLIB_NOT_HANDLED;
    if (record_framed(request.d)) return plan_framed(std::move(*file), request, plan);
    return plan_binary_family(std::move(*file), request, {}, plan);
}

// The test of the header variant parks the two header words it examines in
// the size entries, where a caller whose fallback code is used finds them; a
// binary layout that is recognised clears them again, since its reader takes
// the sizes from the header.
void park_size_words(const FirstBytes& b, DescriptorView& d) {
    d.columns() = b.signed_byte(0);
    d.rows() = b.int32(4);
}

// An element size of 1 to 4 in byte 0 and a byte-order word at offset 4.
bool header_variant(const FirstBytes& b, DescriptorView& d) {
    park_size_words(b, d);
    const std::int32_t w = b.int32(4);
    const std::int8_t size = b.signed_byte(0);
    const bool byte_order = w >= GRIDLIB_LEAST_SIGNIFICANT_FIRST && w <= GRIDLIB_LEAST_SIGNIFICANT_FIRST_ALWAYS;
    if (!(byte_order && size >= 1 && size <= 4)) return false;
    set_record_framed(d, false);
    d.columns() = d.rows() = 0;
    return true;
}

// Bytes 0-3 and 32-35 each hold the big-endian record length 28: a 28-byte
// header record framed by its markers, then the marker of the first row.
bool record_framed_variant(const FirstBytes& b, DescriptorView& d) {
    if (!(b.int16(34) == 7168 && b.int16(2) == 7168 && b.int16(32) == 0 && b.int16(0) == 0)) return false;
    set_record_framed(d, true);
    d.set_byte_order(ByteOrder::most_significant_first);
    d.columns() = d.rows() = 0;
    return true;
}

constexpr ContentTest kContentTests[] = {header_variant, record_framed_variant};

}  // namespace

extern constinit const Driver binary_512_driver{
    .format = FormatCode::binary_512,
    .name = "binary (512-byte header)",
    // Grid nodes, as the working grid keeps them whatever its input.
    .cell_point = CellPoint::centre,
    .content_tests = kContentTests,
    .read_header = read_header,
    .plan_rows = plan_rows,
};

}  // namespace gridlib::formats
