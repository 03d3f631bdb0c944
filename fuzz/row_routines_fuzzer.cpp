// Fuzzes the single-row routines: the input is a byte image (its header and,
// after a line "%%", the companion file the family keeps apart), described
// by its header reader; then rows of every band are unpacked through the
// caller's descriptor, and the same descriptor serves the working-grid and
// cell-file row routines, which read and write whatever the file holds.
#include "fuzz_files.h"

#include "descriptor/grid_descriptor.h"
#include "formats/driver.h"
#include "formats/grid_header.h"
#include "grid/row_access.h"
#include "platform/file.h"

#include <fcntl.h>
#include <unistd.h>
#include <vector>

#ifndef GRID_NAME
#error "GRID_NAME names the image file, e.g. \"grid.pix\""
#endif

#ifndef COMPANION_NAME
#define COMPANION_NAME ""
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gridlib;
    const std::string image = fuzz::write_input(data, size, GRID_NAME, COMPANION_NAME);

    GridDescriptor g(32);
    DescriptorView d = g.view();
    read_grid_header(image, d);
    const std::int64_t columns = d.columns_read();
    if (columns < 0 || columns > (1 << 20)) return 0;

    const int fd = ::open(image.c_str(), O_RDWR);
    if (fd < 0) return 0;
    const platform::BorrowedDescriptor file(fd);
    std::vector<std::uint16_t> a(static_cast<std::size_t>(columns)), b(a.size()), c(a.size());
    std::vector<float> values(a.size());
    std::vector<std::byte> halves(a.size() * 4);
    for (std::int64_t row = 0; row <= 4; ++row) {
        const formats::BandArray bands[] = {{1, a.data()}, {2, b.data()}, {3, c.data()}};
        formats::read_byte_image_row(file, d, row, bands);
        read_working_grid_row(file, d, row, values.data());
        read_cell_file_row(file, d, row, halves.data(), halves.data() + a.size() * 2);
    }
    write_working_grid_row(file, d, 1, values.data());
    ::close(fd);
    return 0;
}
