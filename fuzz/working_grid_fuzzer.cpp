// Fuzzes the readers of working grids, the histogram and the palette image
// writer: the input is a working grid file, whose size words the descriptor
// takes over (as the grid reader would have left them), with colour limits
// and a requested width from its header's spare bytes.
#include "fuzz_files.h"

#include "colour/colour_map.h"
#include "colour/histogram.h"
#include "descriptor/grid_descriptor.h"
#include "image/palette_writer.h"

#include <array>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gridlib;
    if (size < 512) return 0;
    const auto word = [&](std::size_t at) {
        std::int32_t v;
        std::memcpy(&v, data + at, 4);
        return v;
    };
    const auto real = [&](std::size_t at) {
        float v;
        std::memcpy(&v, data + at, 4);
        return v;
    };
    const std::int32_t columns = word(8), rows = word(12);
    if (columns <= 0 || rows <= 0 || static_cast<std::int64_t>(columns) * rows > (std::int64_t{1} << 22)) return 0;
    const std::string grid = fuzz::scratch_file("work.tmp");
    fuzz::write_whole(grid, fuzz::as_text(data, size));

    GridDescriptor g(8);
    DescriptorView d = g.view();
    d.set_format(FormatCode::binary_512);
    d.columns() = columns;
    d.rows() = rows;
    d.null_value() = kNullValue;
    d.data_min() = real(160);
    d.data_max() = real(164);
    d.colour_min() = real(188);
    d.colour_max() = real(192);
    d.image_width() = word(196) % 4096;
    // Keep a run short: an enlarged image grows with the square of the factor.
    const std::int64_t factor = d.image_width() > columns ? d.image_width() / columns + 1 : 1;
    if (columns * factor * rows * factor > (std::int64_t{1} << 24)) return 0;

    std::array<std::int32_t, kLevels> levels{};
    count_histogram(grid, d, 0.99f, levels);

    std::array<std::int32_t, kColourTableValues> colours{};
    const std::int32_t count = build_colour_table(2, {}, {}, {}, 0, ColourTableView(colours));
    const std::int32_t mode = static_cast<std::int8_t>(data[200]) % 3;
    write_palette_bmp(grid, fuzz::scratch_file("image.bmp"), d, mode, levels, count,
                      ConstColourTableView(colours));
    return 0;
}
