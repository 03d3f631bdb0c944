// Fuzzes the point lookup: the input is a grid file in the working grid's
// layout, whose first words also give the descriptor (size, origin, spacing,
// row order) and a list of points, so that sizes that disagree with the
// file, cells of any value and points anywhere are all tried.
#include "fuzz_files.h"

#include "descriptor/grid_descriptor.h"
#include "grid/point_lookup.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gridlib;
    constexpr std::size_t kWords = 8;  // columns, rows, order, west, south, spacings, point count
    if (size < 4 * kWords) return 0;
    std::int32_t columns, rows, order, count;
    float west, south, dx, dy;
    std::memcpy(&columns, data, 4);
    std::memcpy(&rows, data + 4, 4);
    std::memcpy(&order, data + 8, 4);
    std::memcpy(&west, data + 12, 4);
    std::memcpy(&south, data + 16, 4);
    std::memcpy(&dx, data + 20, 4);
    std::memcpy(&dy, data + 24, 4);
    std::memcpy(&count, data + 28, 4);
    count = count < 0 ? 0 : count % 4096;

    const std::string grid = fuzz::scratch_file("work.tmp");
    fuzz::write_whole(grid, fuzz::as_text(data, size));
    GridDescriptor g(8);
    DescriptorView d = g.view();
    d.set_format(FormatCode::binary_512);
    d.columns_read() = columns;
    d.rows_read() = rows;
    d.storage_order() = order;
    d.input_geometry(0) = west;
    d.input_geometry(1) = west + dx * (static_cast<float>(columns) - 1.0f);
    d.input_geometry(2) = south;
    d.input_geometry(3) = south + dy * (static_cast<float>(rows) - 1.0f);
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
