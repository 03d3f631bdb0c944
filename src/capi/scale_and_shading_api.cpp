// C entry points that let grids share one colour scale (the histogram file a
// run used) and shade grids in degrees with slopes in metres.
#include "gridlib.h"

#include "capi/c_args.h"
#include "formats/driver.h"
#include "image/ground_spacing.h"
#include "image/histogram_file.h"

using namespace gridlib;

extern "C" void gridlib_write_histogram_file(const char* name, const int32_t* name_length, const float* lower,
                                             const float* upper, const int32_t* levels, int32_t* status) noexcept {
    if (!lower || !upper || !levels) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    try {
        const capi::FileName file(name, name_length);
        if (file.blank()) {
            capi::set_status(status, GRIDLIB_REFUSED);
            return;
        }
        capi::set_status(status, write_histogram_file(file.path, *lower, *upper,
                                                      std::span<const std::int32_t, kLevels>(levels, kLevels)));
    } catch (...) {
        capi::set_status(status, GRIDLIB_IMAGE_WRITE_FAILED);
    }
}

extern "C" void gridlib_grid_is_geographic(const char* grid_name, const int32_t* grid_name_length,
                                           const int32_t* ihead, const float* rhead, int32_t* result) noexcept {
    if (!result) return;
    *result = 0;
    if (!ihead || !rhead) return;
    try {
        const capi::FileName grid(grid_name, grid_name_length);
        const DescriptorView d = capi::read_only_descriptor(ihead, rhead);
        *result = !grid.blank() && formats::is_geographic(grid.path, d) ? 1 : 0;
    } catch (...) {
        *result = 0;
    }
}

extern "C" void gridlib_ground_spacing(const int32_t* ihead, const float* rhead, float* column_metres,
                                       float* row_metres, float* latitude, int32_t* status) noexcept {
    if (!ihead || !rhead || !column_metres || !row_metres || !latitude) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    const DescriptorView d = capi::read_only_descriptor(ihead, rhead);
    const auto ground = ground_spacing(d);
    if (!ground) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    *column_metres = static_cast<float>(ground->column);
    *row_metres = static_cast<float>(ground->row);
    *latitude = static_cast<float>(ground->latitude);
    capi::set_status(status, GRIDLIB_OK);
}
