// Header readers of the plain binary grids: the 512-byte-header grid (also
// the layout of our own working grid) with its big-endian record-framed
// variant, the grid with a 24-byte header of reals, "TOOL" grids and the
// grids of 16-bit values in blocks of 64 that start with "K".
#include "headers/binary_fields.h"
#include "headers/header_reader.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>

namespace gridlib::headers {
namespace {

// Storage orders whose stored vectors are columns: the header then states the
// vector length and count, which are our rows and columns the other way round.
bool stores_columns(std::int32_t order) { return order == 4 || order == -3 || order == -1 || order == 2; }

// The header variant states its data range at bytes 160-167, as integers for
// integer elements and as reals for 4-byte reals; -32768 there means none.
void read_stated_range(std::span<const std::byte> h, DescriptorView& d) {
    const std::int32_t w1 = int32_at(h, 160), w2 = int32_at(h, 164);
    const float r1 = real32_at(h, 160), r2 = real32_at(h, 164);
    const auto no_range = [&] { d.data_min() = d.data_max() = d.null_value(); };
    if (w1 == -32768) return no_range();
    if (std::abs(d.value_type()) == 4) {
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
    if (!file.read_exact(h)) return kFileTooShort;

    d.header_bytes() = 512;
    const auto element = static_cast<std::int8_t>(h[0]);
    d.value_type() = static_cast<std::int8_t>(h[1]) > 0 ? -element : element;
    d.byte_order() = int32_at(h, 4);
    d.columns() = int32_at(h, 8);
    d.rows() = int32_at(h, 12);
    d.storage_order() = int32_at(h, 16);
    float spacing_x = narrow(real64_at(h, 20)), spacing_y = narrow(real64_at(h, 28));
    if (stores_columns(d.storage_order())) {
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

    switch (std::abs(d.value_type())) {
        case 4: d.null_value() = kNullValue; break;
        case 2: d.null_value() = -32767.0f; break;
        case 1: d.null_value() = -127.0f; break;
        default: break;  // no null convention for other sizes: keep the caller's
    }
    read_stated_range(h, d);
    d.mean() = d.std_dev() = d.null_value();

    const auto element_bytes = static_cast<std::uint64_t>(std::abs(d.value_type()));
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
    if (!file.read_exact(h)) return kFileTooShort;

    d.header_bytes() = 36;
    d.value_type() = 4;
    d.storage_order() = 1;
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

}  // namespace

Status read_binary_512_header(platform::File& file, DescriptorView& d) {
    return d.band_count() == 1 ? read_record_framed_variant(file, d) : read_header_variant(file, d);
}

Status read_binary_24_header(platform::File& file, DescriptorView& d) {
    std::array<std::byte, 24> h{};
    if (!file.read_exact(h)) return kFileTooShort;

    d.header_bytes() = 4096;
    d.value_type() = 4;
    d.storage_order() = -1;
    d.byte_order() = 2;
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

Status read_tool_header(platform::File& file, DescriptorView& d) {
    std::array<std::byte, 240> h{};
    if (!file.read_exact(h)) return kFileTooShort;

    d.header_bytes() = 240;
    d.value_type() = 4;
    d.storage_order() = -2;
    d.byte_order() = 0;
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

Status read_k_blocks_header(platform::File& file, DescriptorView& d) {
    std::array<std::byte, 130> h{};
    if (!file.read_exact(h)) return kFileTooShort;

    d.header_bytes() = 130;
    d.value_type() = 2;
    d.storage_order() = 1;
    d.byte_order() = 2;
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

}  // namespace gridlib::headers
