// C entry point of the grid window reader.
#include "gridlib.h"

#include "capi/c_args.h"
#include "grid/grid_reader.h"

namespace {

// A name the caller may have meant: not empty, not starting with NUL, not
// blank, and of two characters or more unless it ends at a NUL.
bool usable(const gridlib::capi::FileName& name) {
    return !name.path.empty() && !name.starts_with_nul && !name.blank() && !name.too_short();
}

}  // namespace

extern "C" void GRDRDG(const char* input_name, const int32_t* input_name_length, const char* working_name,
                       const int32_t* working_name_length, int32_t* ihead, float* rhead, const float* west_x,
                       const float* east_x, const int32_t* column_step, const float* south_y,
                       const float* north_y, const int32_t* row_step, int32_t* status) noexcept {
    using namespace gridlib;
    if (!ihead || !rhead || !west_x || !east_x || !column_step || !south_y || !north_y || !row_step) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    // The window may point into RHEAD, which the reader rewrites: copy it first.
    const GridWindow window{*west_x, *east_x, *column_step, *south_y, *north_y, *row_step};
    try {
        const capi::FileName input(input_name, input_name_length);
        const capi::FileName working(working_name, working_name_length);
        if (!usable(input) || !usable(working)) {
            capi::set_status(status, GRIDLIB_REFUSED);
            return;
        }
        capi::set_status(status, read_into_working_grid(input.path, working.path, DescriptorView(ihead, rhead), window));
    } catch (...) {
        capi::set_status(status, GRIDLIB_REFUSED);
    }
}
