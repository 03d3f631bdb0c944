// The progress callback and its reporters.
#include "progress/progress.h"

#include <algorithm>
#include <atomic>
#include <limits>

namespace gridlib::progress {
namespace {

std::atomic<Callback> g_callback{nullptr};
thread_local Sink t_sink;

std::int32_t clamped(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, std::numeric_limits<std::int32_t>::max()));
}

// The process's callback heard as a sink of its own, so that a reporter
// knows one kind of destination.
void report_to_process_callback(void*, const std::int32_t* phase, const std::int32_t* done,
                                const std::int32_t* total) {
    if (const Callback callback = g_callback.load()) callback(phase, done, total);
}

// A call without a callback of its own reports to the process's, and keeps its stop flag.
Sink sink_of_thread() {
    Sink sink = t_sink;
    if (!sink.report && g_callback.load()) {
        sink.report = &report_to_process_callback;
        sink.user = nullptr;
    }
    return sink;
}

}  // namespace

void set_callback(Callback callback) { g_callback.store(callback); }

CallSink::CallSink(Sink sink) : previous_(t_sink) { t_sink = sink; }

CallSink::~CallSink() { t_sink = previous_; }

Reporter::Reporter(Phase phase, std::int64_t total)
    : sink_(sink_of_thread()), phase_(phase), total_(std::max<std::int64_t>(total, 1)) {
    advance(0);
}

void Reporter::report(std::int64_t done) {
    const std::int32_t phase = static_cast<std::int32_t>(phase_), done32 = clamped(done), total32 = clamped(total_);
    // A flag set at the last report of a call (by its own progress function)
    // is seen before the outputs are renamed into place instead.
    if (sink_.stop && *sink_.stop != 0) throw Stopped();
    if (sink_.report) sink_.report(sink_.user, &phase, &done32, &total32);
    // The next report comes with the next whole percent, or at the end.
    const std::int64_t percent = done * 100 / total_ + 1;
    next_ = done >= total_ ? std::numeric_limits<std::int64_t>::max()
                           : std::min(total_, (percent * total_ + 99) / 100);
}

}  // namespace gridlib::progress
