// C entry point of grid opening: format recognition and header reading.
#include "gridlib.h"

#include "capi/c_args.h"
#include "descriptor/grid_descriptor.h"
#include "formats/driver.h"
#include "formats/grid_header.h"
#include "platform/file.h"

extern "C" void GRDRDH(const char* name, const int32_t* name_length, int32_t* ihead, float* rhead,
                       char* chead, const int32_t* band_name_length, int32_t* status) noexcept {
    using namespace gridlib;
    if (!ihead || !rhead) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    // Band names are optional: without them (or without a positive length)
    // the readers' band-name writes are dropped.
    const bool names = chead && band_name_length && *band_name_length > 0;
    DescriptorView d(ihead, rhead, names ? chead : nullptr,
                     names ? static_cast<std::size_t>(*band_name_length) : 0);
    try {
        const capi::FileName file(name, name_length);
        if (file.starts_with_nul || file.too_short()) {
            record_input_geometry(d);
            capi::set_status(status, file.starts_with_nul ? GRIDLIB_NAME_STARTS_WITH_NUL : GRIDLIB_NAME_TOO_SHORT);
            return;
        }
        capi::set_status(status, read_grid_header(file.path, d));
    } catch (...) {
        capi::set_status(status, GRIDLIB_REFUSED);
    }
}

extern "C" void gridlib_file_belongs_to_grid(const char* grid_name, const int32_t* grid_name_length,
                                             const int32_t* ihead, const char* name, const int32_t* name_length,
                                             int32_t* result) noexcept {
    using namespace gridlib;
    if (!result) return;
    *result = 0;
    if (!ihead) return;
    try {
        const capi::FileName grid(grid_name, grid_name_length), file(name, name_length);
        const auto format = static_cast<FormatCode>(ihead[GRIDLIB_FORMAT]);
        for (const std::string& part : formats::grid_files(grid.path, format)) {
            if (platform::same_file(part, file.path)) *result = 1;
        }
    } catch (...) {
    }
}
