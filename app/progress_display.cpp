// The progress line of the converter.
#include "progress_display.h"

#include "gridlib.h"

#include <cstdio>
#include <string>

namespace rastrify {
namespace {

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
    shown_ = terminal != 0;
}

ProgressDisplay::~ProgressDisplay() {
    if (shown_) console_.clear_progress();
}

void ProgressDisplay::report(std::int32_t phase, std::int32_t done, std::int32_t total) {
    if (!shown_) return;
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    if (elapsed < kQuietTime) return;
    const double seconds = std::chrono::duration<double>(elapsed).count();
    const long long percent = total > 0 ? static_cast<long long>(done) * 100 / total : 0;
    char text[96];
    std::snprintf(text, sizeof text, " %s %3lld %%  %.1f s", phase_name(phase), percent, seconds);
    console_.show_progress(text);
}

}  // namespace rastrify
