// Fuzzes the gradient writer and the shaded relief writer behind it: the
// input is a working grid file whose header words also give the descriptor
// (size, cell spacings, exaggeration, colour limits, a requested width of
// any value, a format code), so that sizes that disagree with the file (a
// huge grid in a tiny file included), cells and spacings of any value and
// every kind of null neighbourhood are all tried; the slope codes and table
// it writes are then drawn.
#include "fuzz_files.h"
#include "working_grid_input.h"

#include "descriptor/grid_descriptor.h"
#include "image/gradient_writer.h"
#include "image/shaded_writer.h"

#include <array>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gridlib;
    if (size < fuzz::HeaderWords::kBytes) return 0;
    const fuzz::HeaderWords h(data);
    const std::string grid = fuzz::scratch_file("work.tmp"), gradient = fuzz::scratch_file("gradient.tmp");
    const std::string image = fuzz::scratch_file("image.bmp");
    fuzz::write_whole(grid, fuzz::as_text(data, size));

    GridDescriptor g(8);
    DescriptorView d = g.view();
    fuzz::describe_working_grid(d, h, 201, image, size);
    d.column_spacing() = h.real(168);
    d.row_spacing() = h.real(172);

    std::array<float, kSlopeSteps> slopes{};
    if (write_gradient_file(grid, gradient, d, h.real(176), slopes) != GRIDLIB_OK) return 0;
    ShadedColours colours;
    colours.inverted = data[200] & 1;
    const Lighting light{h.real(204), h.real(208), h.real(212), h.real(216), h.real(220)};
    write_shaded_image(grid, gradient, image, d, colours, light, slopes);
    return 0;
}
