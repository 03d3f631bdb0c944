// The progress line of the converter.
#include "progress_display.h"

#include "gridlib.h"

#include <cstdio>
#include <string>

namespace rastrify {
namespace {

// The display the library's reports go to; the library takes a plain function.
ProgressDisplay* g_display = nullptr;

// The quiet time before the line appears: short runs show nothing.
constexpr std::chrono::milliseconds kQuietTime{1000};

const char* phase_name(std::int32_t phase) {
    switch (phase) {
    case GRIDLIB_PHASE_READING: return "reading the grid";
    case GRIDLIB_PHASE_COUNTING: return "counting";
    case GRIDLIB_PHASE_DRAWING: return "drawing";
    case GRIDLIB_PHASE_SLOPES: return "finding slopes";
    default: return "working";
    }
}

}  // namespace

ProgressDisplay::ProgressDisplay(Console& console) : console_(console) {
    const std::int32_t standard_error = 2;
    std::int32_t terminal = 0;
    gridlib_is_terminal(&standard_error, &terminal);
    if (!terminal || g_display) return;
    g_display = this;
    gridlib_set_progress(&ProgressDisplay::report);
}

ProgressDisplay::~ProgressDisplay() {
    if (g_display != this) return;
    gridlib_set_progress(nullptr);
    g_display = nullptr;
    console_.clear_progress();
}

void ProgressDisplay::report(const std::int32_t* phase, const std::int32_t* done, const std::int32_t* total) {
    ProgressDisplay* self = g_display;
    if (!self) return;
    const auto elapsed = std::chrono::steady_clock::now() - self->start_;
    if (elapsed < kQuietTime) return;
    const double seconds = std::chrono::duration<double>(elapsed).count();
    const long long percent = *total > 0 ? static_cast<long long>(*done) * 100 / *total : 0;
    char text[96];
    std::snprintf(text, sizeof text, " %s %3lld %%  %.1f s", phase_name(*phase), percent, seconds);
    self->console_.show_progress(text);
}

}  // namespace rastrify
