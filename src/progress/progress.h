// Progress of the long routines, for callers that want to show it: a routine
// reports the rows it has done of a phase to the one callback the caller has
// set (none by default), at most once per percent.
#pragma once

#include <cstdint>

namespace gridlib::progress {

enum class Phase : std::int32_t { reading = 1, counting = 2, drawing = 3, slopes = 4 };

// The caller's function: phase, rows done, rows in all; every argument by reference.
using Callback = void (*)(const std::int32_t* phase, const std::int32_t* done, const std::int32_t* total);

// Sets the callback (nullptr: none) for all routines of the process.
void set_callback(Callback callback);

// Reports one phase of one routine call: the start (0 done), every percent
// of rows crossed, and the end.
class Reporter {
public:
    Reporter(Phase phase, std::int64_t total);
    // Cheap when no callback is set or the percent has not changed.
    void advance(std::int64_t done) {
        if (callback_ && done >= next_) report(done);
    }

private:
    void report(std::int64_t done);

    Callback callback_;
    Phase phase_;
    std::int64_t total_;
    std::int64_t next_ = 0;
};

}  // namespace gridlib::progress
