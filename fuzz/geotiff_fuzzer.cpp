// Fuzzes the GeoTIFF reader from the file to the working grid: the input is
// written as "grid.tif", its header and placement are read for the first
// band and for the band the input's choices name ("grid.tif?N"), and the
// grid is read into a working grid, whole or through a window with steps.
// libtiff itself parses the directory: what is fuzzed here is that every
// size it hands on is checked before anything is allocated for it, and that
// a damaged strip or tile ends the read with a status.
#include "fuzz_files.h"

#include "descriptor/grid_descriptor.h"
#include "formats/grid_header.h"
#include "formats/driver.h"
#include "formats/grid_placement.h"
#include "grid/grid_reader.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gridlib;
    const auto [choose, grid] = fuzz::write_grid_input(data, size, "grid.tif", "");
    std::string name = grid;
    if (choose.given()) name += "?" + std::to_string(choose.byte(0) % 4);

    GridDescriptor g(32);
    DescriptorView d = g.view();
    d.null_value() = kNullValue;
    if (read_grid_header(name, d) != 0) return 0;
    (void)formats::grid_placement(name, d);
    (void)formats::is_geographic(name, d);
    GridWindow window{d.west_x(), d.east_x(), 1, d.south_y(), d.north_y(), 1};
    if (choose.given() && (choose.byte(1) & 1)) {
        window = {choose.real(2), choose.real(3), choose.word(4), choose.real(5), choose.real(6), choose.word(7)};
    }
    read_into_working_grid(name, fuzz::scratch_file("work.tmp"), d, window);
    return 0;
}
