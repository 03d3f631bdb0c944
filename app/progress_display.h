// Progress of a long conversion on a terminal: while the display exists and
// standard error is a terminal, a run that has gone on for more than about a
// second shows the library's progress in one self-updating line (the phase,
// the percentage of rows, the time so far), cleared when the display ends.
// Nothing is shown when standard error is not a terminal, so that scripts and
// logs see exactly the console text they always saw.
#pragma once

#include "console.h"

#include <chrono>

namespace rastrify {

class ProgressDisplay {
public:
    explicit ProgressDisplay(Console& console);
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;
    ~ProgressDisplay();

private:
    static void report(const std::int32_t* phase, const std::int32_t* done, const std::int32_t* total);

    Console& console_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace rastrify
