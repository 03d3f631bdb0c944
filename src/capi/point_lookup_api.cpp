// C entry point of the point lookup.
#include "gridlib.h"

#include "capi/c_args.h"
#include "grid/point_lookup.h"

#include <algorithm>
#include <span>

extern "C" void GRDVAL(const char* name, const int32_t* name_length, const int32_t* ihead, const float* rhead,
                       const int32_t* n, const float* x, const float* y, float* values, int32_t* status) noexcept {
    using namespace gridlib;
    if (!ihead || !rhead || !n || *n < 0 || (*n > 0 && (!x || !y || !values))) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    const auto count = static_cast<std::size_t>(*n);
    const std::span<float> out(values, count);
    try {
        // The descriptor is only read.
        const DescriptorView d(const_cast<int32_t*>(ihead), const_cast<float*>(rhead));
        capi::set_status(status, look_up_points(capi::FileName(name, name_length).path, d,
                                                std::span(x, count), std::span(y, count), out));
    } catch (...) {
        std::fill(out.begin(), out.end(), kNullValue);
        capi::set_status(status, GRIDLIB_REFUSED);
    }
}
