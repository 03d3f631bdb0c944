// Progress of a long conversion on a terminal: while the display exists and
// standard error is a terminal, a run that has gone on for more than about a
// second shows the conversion's progress in one self-updating line (the phase,
// the percentage of rows, the time so far), cleared when the display ends.
// Nothing is shown when standard error is not a terminal, so that scripts and
// logs see exactly the console text they always saw.
#pragma once

#include "console.h"

#include <chrono>
#include <cstdint>

namespace rastrify {

class ProgressDisplay {
public:
    explicit ProgressDisplay(Console& console);
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;
    ~ProgressDisplay();

    // False when standard error is no terminal: reports are not worth making.
    bool shown() const { return shown_; }
    // One report of the conversion: rows done of a phase (a gridlib_phase).
    void report(std::int32_t phase, std::int32_t done, std::int32_t total);

private:

    Console& console_;
    bool shown_ = false;  // standard error is a terminal
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace rastrify
