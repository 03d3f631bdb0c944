// Fuzzes one format family from the file to the working grid: the input is
// written under the family's name (GRID_NAME, with the extension that
// selects it, or a neutral name for formats known by their first bytes),
// its header is read, and when that succeeds the grid is read into a working
// grid. A family whose values live in a second file (COMPANION_NAME) gets
// the part of the input after a line "%%" as that file's content.
#include "fuzz_files.h"

#include "descriptor/grid_descriptor.h"
#include "formats/grid_header.h"
#include "grid/grid_reader.h"

#include <string>

#ifndef GRID_NAME
#error "GRID_NAME names the grid file, e.g. \"grid.asc\""
#endif
#ifndef FALLBACK_FORMAT
#define FALLBACK_FORMAT 0
#endif

#ifndef COMPANION_NAME
#define COMPANION_NAME ""
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gridlib;
    const std::string grid = fuzz::write_input(data, size, GRID_NAME, COMPANION_NAME);

    GridDescriptor g(32);
    DescriptorView d = g.view();
    d.format_code() = FALLBACK_FORMAT;
    d.null_value() = kNullValue;
    if (read_grid_header(grid, d) != 0) return 0;
    // Keep a run short: a header may declare a grid of billions of cells.
    if (static_cast<std::int64_t>(d.columns()) * d.rows() > (std::int64_t{1} << 22)) return 0;
    const GridWindow whole{d.west_x(), d.east_x(), 1, d.south_y(), d.north_y(), 1};
    read_into_working_grid(grid, fuzz::scratch_file("work.tmp"), d, whole);
    return 0;
}
