// Header reader of "$$BGD" binary grids: a 512-byte header of big-endian
// words followed by big-endian 32-bit reals, northern row first.
#include "headers/binary_fields.h"
#include "headers/header_reader.h"

#include <array>

namespace gridlib::headers {

Status read_bgd_header(platform::File& file, DescriptorView& d) {
    std::array<std::byte, 512> h{};
    if (!file.read_exact(h)) return kFileTooShort;
    constexpr Endian be = Endian::big;

    d.header_bytes() = 512;
    d.value_type() = 4;
    d.byte_order() = 1;
    // The storage order word is left as it was: these files always hold rows,
    // northern row first, and the grid reader knows that by the format.

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

}  // namespace gridlib::headers
