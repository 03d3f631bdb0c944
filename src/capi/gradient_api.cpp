// C entry point of the gradient writer.
#include "gridlib.h"

#include "capi/c_args.h"
#include "image/gradient_writer.h"

using namespace gridlib;

extern "C" void GRDGRAD(const char* working_name, const int32_t* working_name_length, const char* gradient_name,
                        const int32_t* gradient_name_length, const int32_t* ihead, const float* rhead,
                        const float* exaggeration, float* slope_table, int32_t* status) noexcept {
    if (!ihead || !rhead || !exaggeration || !slope_table) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    try {
        // The descriptor is only read.
        DescriptorView d(const_cast<std::int32_t*>(ihead), const_cast<float*>(rhead));
        const capi::FileName working(working_name, working_name_length);
        const capi::FileName gradient(gradient_name, gradient_name_length);
        if (working.blank() || gradient.blank()) {
            capi::set_status(status, GRIDLIB_REFUSED);
            return;
        }
        capi::set_status(status, write_gradient_file(working.path, gradient.path, d, *exaggeration,
                                                     std::span<float, kSlopeSteps>(slope_table, kSlopeSteps)));
    } catch (...) {
        capi::set_status(status, GRIDLIB_GRADIENT_WRITE_FAILED);
    }
}
