// Fuzzes the single-row routines: the input is a byte image (its header and,
// after a line "%%", the companion file the family keeps apart), described
// by its header reader; then rows of every band are unpacked through the
// caller's descriptor, and the same descriptor serves the working-grid and
// cell-file row routines, which read and write whatever the file holds.
// The input's choices (fuzz_files.h) replace the descriptor's size, layout
// and value type words, whatever the file's length.
#include "fuzz_files.h"

#include "descriptor/grid_descriptor.h"
#include "formats/driver.h"
#include "formats/grid_header.h"
#include "grid/row_access.h"
#include "platform/file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The caller's array for a row: as large as the descriptor says, reserved
// rather than allocated, so that only the values a routine stores cost
// memory.
class RowArray {
public:
    explicit RowArray(std::size_t bytes) : bytes_(bytes == 0 ? 1 : bytes) {
        data_ = ::mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (data_ == MAP_FAILED) std::abort();
    }
    ~RowArray() { ::munmap(data_, bytes_); }
    RowArray(const RowArray&) = delete;
    RowArray& operator=(const RowArray&) = delete;
    template <typename T>
    T* as() const {
        return static_cast<T*>(data_);
    }

private:
    std::size_t bytes_;
    void* data_;
};

}  // namespace

#ifndef GRID_NAME
#error "GRID_NAME names the image file, e.g. \"grid.pix\""
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gridlib;
    const auto [choose, image] = fuzz::write_grid_input(data, size, GRID_NAME, COMPANION_NAME);

    GridDescriptor g(32);
    DescriptorView d = g.view();
    read_grid_header(image, d);
    if (choose.given()) {
        const std::uint8_t which = choose.byte(0);
        if (which & 1) d.columns_read() = d.columns() = choose.word(1);
        if (which & 2) d.rows_read() = d.rows() = choose.word(2);
        if (which & 4) d.value_type() = choose.word(3);
        if (which & 8) d.storage_order() = choose.word(4);
        if (which & 16) d.data_offset() = choose.word(5);
        if (which & 32) {
            d.band_count() = choose.word(6);
            d.selected_band() = choose.word(7);
        }
        if (which & 64) d.byte_order() = choose.word(8);
        if (which & 128) d.format_code() = choose.word(9);
    }
    const std::int64_t columns = d.columns_read();
    if (columns < 0) return 0;

    const int fd = ::open(image.c_str(), O_RDWR);
    if (fd < 0) return 0;
    const platform::BorrowedDescriptor file(fd);
    const auto n = static_cast<std::size_t>(columns);
    const RowArray a(n * 2), b(n * 2), c(n * 2), values(n * 4), halves(n * 4);
    for (std::int64_t row = 0; row <= 4; ++row) {
        const formats::BandArray bands[] = {{1, a.as<std::uint16_t>()}, {2, b.as<std::uint16_t>()},
                                            {3, c.as<std::uint16_t>()}};
        formats::read_byte_image_row(file, d, row, bands);
        read_working_grid_row(file, d, row, values.as<float>());
        read_cell_file_row(file, d, row, halves.as<std::byte>(), halves.as<std::byte>() + n * 2);
    }
    // A row written is as long as the caller says, whatever the file held:
    // only rows the size of a real one, so that a run does not write
    // gigabytes the caller asked for.
    if (columns <= (1 << 20)) write_working_grid_row(file, d, 1, values.as<float>());
    ::close(fd);
    return 0;
}
