// Progress reports: the start, every whole percent once, and the end.
#include "progress/progress.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace gridlib::progress
