// Fuzzes the tile pyramid writer: the input is a working grid file whose
// header gives the descriptor (size words of any value, colour limits, data
// range), the mapping mode and, from its bytes, a level table of any values.
// The pyramid goes into one scratch folder, which each run replaces as an
// earlier pyramid.
#include "fuzz_files.h"
#include "working_grid_input.h"

#include "colour/colour_map.h"
#include "descriptor/grid_descriptor.h"
#include "tiles/pyramid_writer.h"

#include <array>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gridlib;
    if (size < fuzz::HeaderWords::kBytes) return 0;
    const fuzz::HeaderWords h(data);
    const std::string grid = fuzz::scratch_file("work.tmp"), folder = fuzz::scratch_file("tiles");
    fuzz::write_whole(grid, fuzz::as_text(data, size));

    GridDescriptor g(8);
    DescriptorView d = g.view();
    fuzz::describe_drawn_grid(d, h, folder, size);

    std::vector<std::int32_t> levels(kLevels, 0);
    std::memcpy(levels.data(), data, std::min(size, levels.size() * sizeof(std::int32_t)));
    std::array<std::int32_t, kColourTableValues> colours{};
    const std::int32_t count = build_colour_table(2, {}, {}, {}, 0, ColourTableView(colours));

    tiles::PyramidRequest request;
    request.working_path = grid;
    request.mapping_mode = static_cast<std::int8_t>(data[200]) % 3;
    request.level_table = levels;
    request.colour_count = count;
    request.colour_table = ConstColourTableView(colours);
    request.title = "grid";
    request.axis = data[201] % 4;
    request.target = folder;
    tiles::write_pyramid(d, request);
    return 0;
}
