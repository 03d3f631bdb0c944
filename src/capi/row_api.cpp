// C entry points of single-row access through a descriptor the caller opened.
#include "gridlib.h"

#include "capi/c_args.h"
#include "descriptor/grid_descriptor.h"
#include "formats/driver.h"
#include "grid/row_access.h"
#include "platform/file.h"

#include <array>
#include <cstddef>

namespace {

using namespace gridlib;

// The row routines read the integer words only.
DescriptorView integer_words(const int32_t* ihead) { return DescriptorView(const_cast<int32_t*>(ihead), nullptr); }

}  // namespace

extern "C" void GRDRDL(const int32_t* handle, const int32_t* ihead, const float* /*rhead*/, const int32_t* row,
                       float* values, int32_t* status) noexcept {
    if (!handle || !ihead || !row || !values) return capi::set_status(status, GRIDLIB_REFUSED);
    capi::set_status(status, read_working_grid_row(platform::BorrowedDescriptor(*handle), integer_words(ihead), *row,
                                                   values));
}

extern "C" void GRDWRL(const int32_t* handle, const int32_t* ihead, const float* /*rhead*/, const int32_t* row,
                       const float* values, int32_t* status) noexcept {
    if (!handle || !ihead || !row || !values) return capi::set_status(status, GRIDLIB_REFUSED);
    capi::set_status(status, write_working_grid_row(platform::BorrowedDescriptor(*handle), integer_words(ihead),
                                                    *row, values));
}

extern "C" void DRVRDL(const int32_t* handle, const int32_t* ihead, const float* /*rhead*/, const int32_t* row,
                       void* first_half, void* second_half, int32_t* status) noexcept {
    if (!handle || !ihead || !row || !first_half || !second_half) return capi::set_status(status, GRIDLIB_REFUSED);
    capi::set_status(status, read_cell_file_row(platform::BorrowedDescriptor(*handle), integer_words(ihead), *row,
                                                static_cast<std::byte*>(first_half),
                                                static_cast<std::byte*>(second_half)));
}

extern "C" void BYTRDL(const int32_t* handle, const int32_t* ihead, const float* /*rhead*/, const int32_t* row,
                       const int32_t* band1, const int32_t* band2, const int32_t* band3, uint16_t* array1,
                       uint16_t* array2, uint16_t* array3, int32_t* status) noexcept {
    if (!handle || !ihead || !row) return capi::set_status(status, GRIDLIB_REFUSED);
    // A band left out is band 0, which no image has.
    const std::array<formats::BandArray, 3> arrays{{{band1 ? *band1 : 0, array1},
                                                 {band2 ? *band2 : 0, array2},
                                                 {band3 ? *band3 : 0, array3}}};
    try {
        capi::set_status(status, formats::read_byte_image_row(platform::BorrowedDescriptor(*handle),
                                                              integer_words(ihead), *row, arrays));
    } catch (...) {
        capi::set_status(status, GRIDLIB_REFUSED);  // the row did not fit in memory
    }
}
