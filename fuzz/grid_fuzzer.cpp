// Fuzzes one format family from the file to the working grid: the input is
// written under the family's name (GRID_NAME, with the extension that
// selects it, or a neutral name for formats known by their first bytes),
// its header is read, and when that succeeds the grid is placed and read into a working
// grid. A family whose values live in a second file (COMPANION_NAME) gets
// the part of the input after a line "%%" as that file's content. The
// input's choices (fuzz_files.h) replace descriptor words and the window.
#include "fuzz_files.h"

#include "descriptor/grid_descriptor.h"
#include "formats/grid_header.h"
#include "formats/driver.h"
#include "formats/grid_placement.h"
#include "grid/grid_reader.h"

#include <string>

#ifndef GRID_NAME
#error "GRID_NAME names the grid file, e.g. \"grid.asc\""
#endif
#ifndef FALLBACK_FORMAT
#define FALLBACK_FORMAT 0
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gridlib;
    const auto [choose, grid] = fuzz::write_grid_input(data, size, GRID_NAME, COMPANION_NAME);

    GridDescriptor g(32);
    DescriptorView d = g.view();
    d.format_code() = FALLBACK_FORMAT;
    d.null_value() = kNullValue;
    if (read_grid_header(grid, d) != 0) return 0;
    // The drivers read their headers again for the placement, in double precision.
    formats::grid_placement(grid, d);
    // And once more to tell whether it lies in longitude and latitude.
    (void)formats::is_geographic(grid, d);
    GridWindow window{d.west_x(), d.east_x(), 1, d.south_y(), d.north_y(), 1};
    if (choose.given()) {
        // A caller may hand the reader any descriptor: sizes, layout words
        // and a window with steps that need not agree with the file. Each
        // group is replaced or kept as the header left it.
        const std::uint8_t which = choose.byte(0);
        if (which & 1) window = {choose.real(1), choose.real(2), choose.word(3),
                                 choose.real(4), choose.real(5), choose.word(6)};
        if (which & 2) {
            d.columns() = d.columns_read() = choose.word(7);
            d.rows() = d.rows_read() = choose.word(8);
        }
        if (which & 4) d.storage_order() = choose.word(9);
        if (which & 8) {
            d.value_type() = choose.word(10);
            d.byte_order() = choose.word(11);
        }
        if (which & 16) d.data_offset() = choose.word(12);
        if (which & 32) {
            d.band_count() = choose.word(13);
            d.selected_band() = choose.word(14);
        }
        if (which & 64) d.format_code() = choose.word(15);
    }
    // No cap on the cells: the reader must find a file shorter than its
    // descriptor before it allocates for it, and a window's output is never
    // more cells than the input holds.
    read_into_working_grid(grid, fuzz::scratch_file("work.tmp"), d, window);
    return 0;
}
