// Fuzzes the readers of working grids, the histogram, the image writers
// (palette, shaded relief, user colours) and the world file: the input is a
// working grid file, whose size words the descriptor takes over whatever
// the file's length (a huge grid in a tiny file included), with colour
// limits, a requested width of any value, a light vector, a mapping mode and
// format codes from its header's spare bytes. The same file serves as the
// shaded writer's gradient file and as the user colour table. IMAGE_NAME
// names the image, and so its format; a GeoTIFF palette image is placed
// where the header's doubles say.
#include "fuzz_files.h"
#include "working_grid_input.h"

#include "colour/colour_map.h"
#include "colour/histogram.h"
#include "descriptor/grid_descriptor.h"
#include "image/geotiff_placement.h"
#include "image/palette_writer.h"
#include "image/shaded_writer.h"
#include "image/user_colour_writer.h"
#include "image/world_file.h"

#include <array>
#include <cstring>
#include <vector>

#ifndef IMAGE_NAME
#define IMAGE_NAME "image.bmp"
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gridlib;
    if (size < fuzz::HeaderWords::kBytes) return 0;
    const fuzz::HeaderWords h(data);
    const std::string grid = fuzz::scratch_file("work.tmp"), image = fuzz::scratch_file(IMAGE_NAME);
    fuzz::write_whole(grid, fuzz::as_text(data, size));

    GridDescriptor g(8);
    DescriptorView d = g.view();
    fuzz::describe_drawn_grid(d, h, image, size);

    std::array<std::int32_t, kLevels> levels{};
    count_histogram(grid, d, 0.99f, levels);

    std::array<std::int32_t, kColourTableValues> colours{};
    const std::int32_t count = build_colour_table(2, {}, {}, {}, 0, ColourTableView(colours));
    const std::int32_t mode = static_cast<std::int8_t>(data[200]) % 3;
    const std::int32_t width = d.image_width();
    const formats::GridPlacement grid_place{h.real64(36), h.real64(44), h.real64(20), h.real64(28)};
    place_next_geotiff(image, {grid_place, d.columns(), d.rows(), {}});
    write_palette_image(grid, image, d, mode, levels, count, ConstColourTableView(colours), image_format_of(image));

    // Colours of any value from the input, and a user count that may exceed them.
    std::vector<float> user_values(kUserColourValues, 0.0f);
    std::memcpy(user_values.data(), data, std::min(size, user_values.size() * 4));
    write_user_colour_image(grid, image, d, mode, levels, {user_values, h.word(204) % 8192});

    const Lighting light{h.real(208), h.real(212), h.real(216), h.real(220), h.real(224)};
    std::array<float, kSlopeSteps> slopes{};
    std::memcpy(slopes.data(), data + 228, std::min<std::size_t>(size - 228, sizeof slopes));
    ShadedColours shaded;
    shaded.bits_per_pixel = data[201] % 2 ? 8 : 24;
    shaded.inverted = mode < 0;
    shaded.through_levels = mode == 2 || mode == -2;
    shaded.level_table = levels;
    shaded.colour_count = count;
    shaded.colour_table = ConstColourTableView(colours);
    d.image_width() = width;
    write_shaded_image(grid, grid, image, d, shaded, light, slopes);

    // Codes 0 and 15 have no format; the others each their cell point.
    d.format_code() = data[202] % 16;
    d.column_spacing() = h.real64(20);
    d.row_spacing() = h.real64(28);
    d.west_x() = h.real64(36);
    d.south_y() = h.real64(44);
    write_world_file(image, d, width);
    return 0;
}
