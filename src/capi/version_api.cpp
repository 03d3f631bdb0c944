// The library's version, for callers that report what they run on. The
// number comes from the build (the CMake project version), so that the
// library, its package files and the programs that print it never disagree.
#include "gridlib.h"

#include "capi/c_args.h"

#include <algorithm>
#include <string_view>

#ifndef GRIDLIB_VERSION
#error "GRIDLIB_VERSION must be defined by the build"
#endif

extern "C" void gridlib_version(char* version, const int32_t* version_length, int32_t* status) noexcept {
    constexpr std::string_view kVersion = GRIDLIB_VERSION;
    if (!version || !version_length || *version_length <= 0) {
        gridlib::capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    if (kVersion.size() >= static_cast<std::size_t>(*version_length)) {
        version[0] = '\0';
        gridlib::capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    std::copy(kVersion.begin(), kVersion.end(), version);
    version[kVersion.size()] = '\0';
    gridlib::capi::set_status(status, GRIDLIB_OK);
}
