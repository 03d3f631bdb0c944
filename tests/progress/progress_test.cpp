// Progress reports: the start, every whole percent once, and the end; to the
// sink of the call a thread is in, or else to the process's callback.
#include "progress/progress.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace gridlib::progress {
namespace {

std::vector<std::int32_t> g_done;

void record(const std::int32_t* phase, const std::int32_t* done, const std::int32_t* total) {
    EXPECT_EQ(*phase, 2);
    EXPECT_LE(*done, *total);
    g_done.push_back(*done);
}

TEST(Progress, ReportsTheStartEveryPercentAndTheEnd) {
    for (const std::int64_t total : {1, 7, 250, 1000, 123457}) {
        g_done.clear();
        set_callback(record);
        {
            Reporter reporter(Phase::counting, total);
            for (std::int64_t done = 1; done <= total; ++done) reporter.advance(done);
        }
        set_callback(nullptr);
        ASSERT_FALSE(g_done.empty());
        EXPECT_EQ(g_done.front(), 0) << total;
        EXPECT_EQ(g_done.back(), total) << total;
        EXPECT_LE(g_done.size(), 102u) << total;
        EXPECT_GE(g_done.size(), std::min<std::size_t>(101, static_cast<std::size_t>(total) + 1)) << total;
        for (std::size_t k = 1; k < g_done.size(); ++k) EXPECT_LT(g_done[k - 1], g_done[k]);
    }
    Reporter silent(Phase::counting, 10);  // no callback: nothing to call
    silent.advance(10);
}

// Reports of one whole reporter of 10 rows, counted per destination.
struct Heard {
    int reports = 0;
};

void count_for(void* user, const std::int32_t*, const std::int32_t*, const std::int32_t*) {
    ++static_cast<Heard*>(user)->reports;
}

void count_process(const std::int32_t*, const std::int32_t*, const std::int32_t*) { g_done.push_back(0); }

int reports_of_one_reporter() {
    Reporter reporter(Phase::drawing, 10);
    for (std::int64_t done = 1; done <= 10; ++done) reporter.advance(done);
    return 11;  // the start and each of the ten rows (every row is a tenth)
}

TEST(Progress, ACallsSinkHearsItsThreadAloneAndScopesNest) {
    g_done.clear();
    set_callback(count_process);
    Heard outer, inner, other_thread;
    {
        const CallSink outer_call({&count_for, &outer});
        const int expected = reports_of_one_reporter();
        {
            const CallSink inner_call({&count_for, &inner});
            reports_of_one_reporter();
        }
        reports_of_one_reporter();  // the outer sink again
        // Another thread is in no call: its reports go to the process's callback.
        std::thread([&] {
            reports_of_one_reporter();
            const CallSink own({&count_for, &other_thread});
            reports_of_one_reporter();
        }).join();
        EXPECT_EQ(outer.reports, 2 * expected);
        EXPECT_EQ(inner.reports, expected);
        EXPECT_EQ(other_thread.reports, expected);
        EXPECT_EQ(g_done.size(), static_cast<std::size_t>(expected));
    }
    reports_of_one_reporter();  // out of every call: the process's callback
    EXPECT_EQ(g_done.size(), 2u * 11u);
    set_callback(nullptr);
}

// A call's stop flag is looked at where a report falls due, before the
// report, with or without a callback to report to: the first due after it
// is set throws instead.
TEST(Progress, AStopFlagEndsTheReportsWithStopped) {
    for (const bool with_callback : {true, false}) {
        SCOPED_TRACE(with_callback);
        Heard heard;
        volatile std::int32_t stop = 0;
        const CallSink call({with_callback ? &count_for : nullptr, &heard, &stop});
        Reporter reporter(Phase::drawing, 10);
        reporter.advance(4);
        stop = 1;
        EXPECT_THROW(reporter.advance(5), Stopped);
        EXPECT_EQ(heard.reports, with_callback ? 2 : 0);  // the start and row 4
        EXPECT_THROW(Reporter(Phase::reading, 3), Stopped);  // a routine that starts after it
    }
}

}  // namespace
}  // namespace gridlib::progress
