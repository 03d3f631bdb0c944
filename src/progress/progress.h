// Progress of the long routines, for callers that want to show it: a routine
// reports the rows it has done of a phase, at most once per percent, to the
// sink of the call its thread is in (see CallSink), or else to the one
// callback set for the whole process (none by default).
#pragma once

#include <cstdint>

namespace gridlib::progress {

enum class Phase : std::int32_t { reading = 1, counting = 2, drawing = 3, slopes = 4 };

// The caller's function: phase, rows done, rows in all; every argument by reference.
using Callback = void (*)(const std::int32_t* phase, const std::int32_t* done, const std::int32_t* total);

// Sets the callback (nullptr: none) for all routines of the process.
void set_callback(Callback callback);

// A callback with the caller's own pointer, for the routines that one call
// runs on its thread, and the flag by which that caller asks them to stop.
struct Sink {
    void (*report)(void* user, const std::int32_t* phase, const std::int32_t* done,
                   const std::int32_t* total) = nullptr;
    void* user = nullptr;
    // Non-zero: the next report throws Stopped instead of reporting. Set from
    // a signal handler or another thread, hence read as volatile each time.
    const volatile std::int32_t* stop = nullptr;
};

// Thrown by a reporter once its call's stop flag is set: the routine unwinds
// as it does from any exception, removing what it has written, and the
// caller that set the flag tells its own caller why. Not a std::exception,
// so that no handler takes it for a failure with words of its own.
struct Stopped {};

// While it exists, the reporters made on this thread report to sink instead
// of the process's callback: two threads converting at once each see their
// own progress. Scopes nest; the innermost wins.
class CallSink {
public:
    explicit CallSink(Sink sink);
    CallSink(const CallSink&) = delete;
    CallSink& operator=(const CallSink&) = delete;
    ~CallSink();

private:
    Sink previous_;
};

// Reports one phase of one routine call: the start (0 done), every percent
// of rows crossed, and the end; each report is also where the call's stop
// flag is looked at.
class Reporter {
public:
    Reporter(Phase phase, std::int64_t total);
    // Cheap when no callback or stop flag is set or the percent has not
    // changed. Throws Stopped when the call's stop flag is set.
    void advance(std::int64_t done) {
        if ((sink_.report || sink_.stop) && done >= next_) report(done);
    }

private:
    void report(std::int64_t done);

    Sink sink_;  // taken on the thread that makes the reporter
    Phase phase_;
    std::int64_t total_;
    std::int64_t next_ = 0;
};

}  // namespace gridlib::progress
