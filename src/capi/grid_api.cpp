// C entry point of the grid window reader.
#include "gridlib.h"

#include "capi/c_args.h"
#include "grid/grid_reader.h"

extern "C" void GRDRDG(const char* input_name, const int32_t* input_name_length, const char* working_name,
                       const int32_t* working_name_length, int32_t* ihead, float* rhead, const float* west_x,
                       const float* east_x, const int32_t* column_step, const float* south_y,
                       const float* north_y, const int32_t* row_step, int32_t* status) noexcept {
    using namespace gridlib;
    if (!ihead || !rhead || !west_x || !east_x || !column_step || !south_y || !north_y || !row_step) {
        capi::set_status(status, -1);
        return;
    }
    // The window may point into RHEAD, which the reader rewrites: copy it first.
    const GridWindow window{*west_x, *east_x, *column_step, *south_y, *north_y, *row_step};
    try {
        capi::set_status(status, gridlib::GRDRDG(capi::text_arg(input_name, input_name_length),
                                                 capi::text_arg(working_name, working_name_length),
                                                 DescriptorView(ihead, rhead), window));
    } catch (...) {
        capi::set_status(status, -1);
    }
}
