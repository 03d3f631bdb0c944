// C entry point of grid opening: format recognition and header reading.
#include "gridlib.h"

#include "capi/c_args.h"
#include "descriptor/grid_descriptor.h"
#include "headers/grid_header.h"

namespace {
// No descriptor to fill, or no memory for the name: the call is refused.
constexpr std::int32_t kRefused = -1;
}  // namespace

extern "C" void GRDRDH(const char* name, const int32_t* name_length, int32_t* ihead, float* rhead,
                       char* chead, const int32_t* band_name_length, int32_t* status) noexcept {
    using namespace gridlib;
    if (!ihead || !rhead) {
        capi::set_status(status, kRefused);
        return;
    }
    // Band names are optional: without them (or without a positive length)
    // the readers' band-name writes are dropped.
    const bool names = chead && band_name_length && *band_name_length > 0;
    DescriptorView d(ihead, rhead, names ? chead : nullptr,
                     names ? static_cast<std::size_t>(*band_name_length) : 0);
    try {
        capi::set_status(status, gridlib::GRDRDH(capi::text_arg(name, name_length), d));
    } catch (...) {
        capi::set_status(status, kRefused);
    }
}
