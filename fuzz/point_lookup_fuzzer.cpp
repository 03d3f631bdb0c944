// Fuzzes the point lookup: the input is a grid file in the working grid's
// layout, whose first words also give the descriptor (size, format code,
// row order, extent and spacings, each chosen apart from the others and
// from the file's length) and a list of points, so that sizes and extents
// that disagree with the file or each other, cells of any value and points
// anywhere are all tried.
#include "fuzz_files.h"

#include "descriptor/grid_descriptor.h"
#include "grid/point_lookup.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gridlib;
    // columns, rows, order, west, south, spacings, point count, east, north, format
    constexpr std::size_t kWords = 11;
    if (size < 4 * kWords) return 0;
    const auto word = [&](std::size_t k) {
        std::int32_t v;
        std::memcpy(&v, data + 4 * k, 4);
        return v;
    };
    const auto real = [&](std::size_t k) {
        float v;
        std::memcpy(&v, data + 4 * k, 4);
        return v;
    };
    const std::int32_t columns = word(0), rows = word(1);
    const float west = real(3), south = real(4), dx = real(5), dy = real(6);
    const std::int32_t count = word(7) < 0 ? 0 : word(7) % 4096;

    const std::string grid = fuzz::scratch_file("work.tmp");
    fuzz::write_whole(grid, fuzz::as_text(data, size));
    GridDescriptor g(8);
    DescriptorView d = g.view();
    // Mostly the working grid's own format; now and then a byte image, which
    // the lookup refuses.
    d.format_code() = word(10) & 0x100 ? word(10) & 0xF : static_cast<std::int32_t>(FormatCode::binary_512);
    d.columns_read() = columns;
    d.rows_read() = rows;
    d.storage_order() = word(2);
    // The extent as a header reader forms it, or an east and north edge of
    // their own.
    const bool own_edges = word(10) & 0x200;
    d.input_geometry(0) = west;
    d.input_geometry(1) = own_edges ? real(8) : west + dx * (static_cast<float>(columns) - 1.0f);
    d.input_geometry(2) = south;
    d.input_geometry(3) = own_edges ? real(9) : south + dy * (static_cast<float>(rows) - 1.0f);
    d.input_geometry(4) = dx;
    d.input_geometry(5) = dy;

    // Points from the bytes after the header words, read as coordinates.
    std::vector<float> x(static_cast<std::size_t>(count)), y(x.size()), values(x.size());
    const std::size_t available = (size - 4 * kWords) / 8;
    for (std::size_t i = 0; i < x.size() && available > 0; ++i) {
        const std::size_t at = 4 * kWords + (i % available) * 8;
        std::memcpy(&x[i], data + at, 4);
        std::memcpy(&y[i], data + at + 4, 4);
    }
    look_up_points(grid, d, x, y, values);
    return 0;
}
