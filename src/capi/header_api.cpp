// C entry point of grid opening: format recognition and header reading.
#include "gridlib.h"

#include "capi/c_args.h"
#include "descriptor/grid_descriptor.h"
#include "formats/grid_header.h"

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
