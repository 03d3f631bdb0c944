// gridlib.h compiles as C++ too: this unit is built as C++11 with -pedantic
// and warnings as errors.
#include "gridlib.h"

int gridlib_header_compiles_as_cxx();
int gridlib_header_compiles_as_cxx() {
    int32_t ihead[GRIDLIB_IHEAD_SIZE] = {0};
    ihead[GRIDLIB_FORMAT] = GRIDLIB_FORMAT_SURFER7;
    static_assert(noexcept(GRDRDH(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr)),
                  "the routines never throw");
    gridlib_convert_options options;
    static_assert(noexcept(gridlib_convert_defaults(&options)), "neither does the defaults' macro");
    gridlib_convert_defaults(&options);
    return ihead[GRIDLIB_FORMAT] + (GRIDLIB_REFUSED < 0 && options.size > 0 ? 0 : 1);
}
