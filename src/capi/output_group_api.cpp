// C entry points of the output groups: outputs renamed into place together.
#include "gridlib.h"

#include "capi/c_args.h"
#include "image/output_group.h"

using namespace gridlib;

extern "C" void gridlib_begin_outputs(int32_t* status) noexcept {
    try {
        capi::set_status(status, OutputGroup::open() ? GRIDLIB_OK : GRIDLIB_REFUSED);
    } catch (...) {
        capi::set_status(status, GRIDLIB_REFUSED);
    }
}

extern "C" void gridlib_commit_outputs(int32_t* status) noexcept {
    if (!OutputGroup::current()) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    try {
        capi::set_status(status, OutputGroup::commit() ? GRIDLIB_OK : GRIDLIB_IMAGE_WRITE_FAILED);
    } catch (...) {
        OutputGroup::discard();
        capi::set_status(status, GRIDLIB_IMAGE_WRITE_FAILED);
    }
}

extern "C" void gridlib_discard_outputs() noexcept { OutputGroup::discard(); }
