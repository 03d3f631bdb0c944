// Fuzzes the gradient writer and the shaded relief writer behind it: the
// input is a working grid file whose header words also give the descriptor
// (size, cell spacings, exaggeration, colour limits, a requested width of
// any value, a format code), so that sizes that disagree with the file (a
// huge grid in a tiny file included), cells and spacings of any value and
// every kind of null neighbourhood are all tried; the slope codes and table
// it writes are then drawn.
#include "fuzz_files.h"
#include "valid_images.h"

#include "descriptor/grid_descriptor.h"
#include "image/gradient_writer.h"
#include "image/shaded_writer.h"

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
    const std::string grid = fuzz::scratch_file("work.tmp"), gradient = fuzz::scratch_file("gradient.tmp");
    const std::string image = fuzz::scratch_file("image.bmp");
    fuzz::write_whole(grid, fuzz::as_text(data, size));

    GridDescriptor g(8);
    DescriptorView d = g.view();
    // Mostly the working grid's own format; now and then a byte image, which
    // both routines refuse.
    d.format_code() = data[201] < 240 ? static_cast<std::int32_t>(FormatCode::binary_512) : data[201] - 240;
    d.columns() = columns;
    d.rows() = rows;
    d.column_spacing() = real(168);
    d.row_spacing() = real(172);
    d.colour_min() = real(188);
    d.colour_max() = real(192);
    d.image_width() = word(196);
    if (fuzz::large_valid_image(image, size, columns, rows, d.image_width())) d.image_width() = 0;

    std::array<float, kSlopeSteps> slopes{};
    if (write_gradient_file(grid, gradient, d, real(176), slopes) != GRIDLIB_OK) return 0;
    ShadedColours colours;
    colours.inverted = data[200] & 1;
    const Lighting light{real(204), real(208), real(212), real(216), real(220)};
    write_shaded_image(grid, gradient, image, d, colours, light, slopes);
    return 0;
}
