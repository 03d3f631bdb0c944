#include "convert/levels.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace gridlib::convert {
namespace {

LevelTable counts(std::initializer_list<std::pair<std::size_t, std::int32_t>> bins) {
    LevelTable t{};
    for (auto [bin, n] : bins) t[bin - 1] = n;
    return t;
}

bool is_identity(const LevelTable& t) {
    for (std::size_t i = 0; i < kBins; ++i)
        if (t[i] != static_cast<std::int32_t>(i + 1)) return false;
    return true;
}

TEST(Levels, LogDistributionFallsFrom99To1) {
    LevelTable t{};
    fill_log_distribution(t);
    EXPECT_EQ(t[0], 99);
    EXPECT_EQ(t[1023], 36);  // 100 / e
    EXPECT_EQ(t[2047], 13);  // 100 / e^2
    EXPECT_EQ(t[kBins - 1], 1);
    EXPECT_TRUE(std::is_sorted(t.rbegin(), t.rend()));
}

TEST(Levels, EqualisationSpreadsRunningSumsOverTheLevels) {
    LevelTable t = counts({{1, 500}, {2, 10}, {3, 30}});
    float upper = 100.0f;
    equalise(t, 0.0f, upper);
    EXPECT_EQ(upper, 100.0f);
    // Bin 1's 500 never count: running sums 0, 10, 40, 40, ... over a total of 40.
    EXPECT_EQ(t[0], 1);
    EXPECT_EQ(t[1], 1024);  // trunc(10 * 4095 / 40 + 1.0001)
    EXPECT_EQ(t[2], 4096);
    EXPECT_EQ(t[kBins - 1], 4096);
}

TEST(Levels, LargeTotalsAreScaledTo32000AndEachStepTruncated) {
    LevelTable scaled = counts({{2, 64000}, {3, 64000}});
    float upper = 1.0f;
    equalise(scaled, 0.0f, upper);
    EXPECT_EQ(scaled[1], 2048);  // 16000 of 32000
    EXPECT_EQ(scaled[2], 4096);

    // Factor 0.5: the single counts of bins 2 and 3 are lost to truncation at
    // each step, so the total becomes 31999, not 32000.
    LevelTable truncated = counts({{2, 1}, {3, 1}, {4, 63998}});
    equalise(truncated, 0.0f, upper);
    EXPECT_EQ(truncated[1], 1);
    EXPECT_EQ(truncated[2], 1);
    EXPECT_EQ(truncated[3], 4096);
}

TEST(Levels, CountsOnlyInBinOneLeaveTheTableEmpty) {
    LevelTable t = counts({{1, 1000}});
    float upper = 10.0f;
    equalise(t, 0.0f, upper);
    EXPECT_TRUE(std::all_of(t.begin(), t.end(), [](std::int32_t v) { return v == 0; }));
}

TEST(Levels, NarrowOrEqualLimitsGiveTheIdentity) {
    LevelTable narrow = counts({{2, 7}});
    float upper = 5.005f;
    equalise(narrow, 5.0f, upper);
    EXPECT_EQ(upper, 5.005f);
    EXPECT_TRUE(is_identity(narrow));

    // Equal limits are widened by 0.01 first; whether the result still lies
    // within 0.01 depends on how the float sum rounds.
    LevelTable one = counts({{1, 1}});
    float same = 1.0f;
    equalise(one, 1.0f, same);
    EXPECT_EQ(same, 1.01f);  // 1.00999999: narrower than 0.01
    EXPECT_TRUE(is_identity(one));

    LevelTable five = counts({{1, 1}});
    float upper5 = 5.0f;
    equalise(five, 5.0f, upper5);
    EXPECT_EQ(upper5, 5.01f);  // 5.01000023: wider, so the lone count in bin 1 leaves all levels 0
    EXPECT_TRUE(std::all_of(five.begin(), five.end(), [](std::int32_t v) { return v == 0; }));
}

TEST(Levels, WideningAlwaysMakesTheLimitsAscend) {
    EXPECT_EQ(widened_upper(5.0f, 5.1f), 5.1f);  // far enough apart: unchanged
    // 0.01 is below half a float step here and would be lost.
    EXPECT_GT(widened_upper(1.0e6f, 1.0e6f), 1.0e6f);
    EXPECT_GT(widened_upper(3.0e38f, 3.0e38f), 3.0e38f);
}

TEST(Levels, EqualisedLogTableRisesFromLevelOneToTheLast) {
    LevelTable t{};
    fill_log_distribution(t);
    float upper = 1000.0f;
    equalise(t, 1.0f, upper);
    EXPECT_EQ(t[0], 1);
    EXPECT_EQ(t[kBins - 1], 4096);
    EXPECT_TRUE(std::is_sorted(t.begin(), t.end()));
    // Most colours go to the low bins, where the distribution is dense.
    EXPECT_GT(t[1023], 2048);
}

TEST(Levels, EqualisationSurvivesHostileCounts) {
    LevelTable t{};
    t.fill(2147483647);
    t[5] = -2147483647;
    float upper = 2.0f;
    equalise(t, 0.0f, upper);  // must not overflow; values stay within 32 bits
    EXPECT_TRUE(std::is_sorted(t.begin(), t.end()));
    EXPECT_GE(*std::min_element(t.begin(), t.end()), 1);
    EXPECT_LE(*std::max_element(t.begin(), t.end()), 4096);
}

}  // namespace
}  // namespace gridlib::convert
