// C entry points of progress reporting.
#include "gridlib.h"

#include "platform/file.h"
#include "progress/progress.h"

static_assert(GRIDLIB_PHASE_READING == static_cast<int>(gridlib::progress::Phase::reading) &&
              GRIDLIB_PHASE_COUNTING == static_cast<int>(gridlib::progress::Phase::counting) &&
              GRIDLIB_PHASE_DRAWING == static_cast<int>(gridlib::progress::Phase::drawing));

extern "C" void gridlib_set_progress(gridlib_progress_function* report) noexcept {
    gridlib::progress::set_callback(report);
}

extern "C" void gridlib_is_terminal(const int32_t* descriptor, int32_t* result) noexcept {
    if (result) *result = descriptor && gridlib::platform::is_terminal(*descriptor) ? 1 : 0;
}
