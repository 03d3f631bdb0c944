// Tick choice and label texts of the colour bar.
#include "colour_bar/bar_ticks.h"

#include <gtest/gtest.h>

#include <cmath>

namespace gridlib::colour_bar {
namespace {

BarDescription bar_of(Axis axis, double lower, double upper, std::size_t steps = 10) {
    BarDescription bar;
    bar.axis = axis;
    bar.upper = upper;
    for (std::size_t i = 0; i < steps; ++i)
        bar.steps.push_back({{}, lower + (upper - lower) * static_cast<double>(i) / static_cast<double>(steps)});
    return bar;
}

std::vector<double> values_of(const std::vector<Tick>& ticks) {
    std::vector<double> v;
    for (const Tick& t : ticks) v.push_back(t.value);
    return v;
}

TEST(NiceNumber, RoundsToOneTwoFiveTimesAPowerOfTen) {
    const struct {
        double x;
        bool round;
        double nice;
    } cases[] = {{0.13, true, 0.1}, {0.17, true, 0.2}, {4.0, true, 5}, {8.0, true, 10}, {1.2, false, 2}, {3, false, 5},
                 {60, false, 100}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(nice_number(c.x, c.round), c.nice) << c.x;
}

TEST(ValueLabels, ShowTheDigitsThatTellNeighboursApart) {
    const struct {
        std::vector<double> values;
        double lower, upper;
        std::vector<std::string> texts;
    } cases[] = {
        // Three significant digits of the span, zeros kept for large values.
        {{0, 1234.5678, 2500}, 0, 2500, {"0", "1230", "2500"}},
        {{0.5, 0.75, 1.0}, 0.5, 1.0, {"0.500", "0.750", "1.000"}},
        // Values that read alike at three digits get more.
        {{100.0, 100.04, 105}, 100, 110, {"100.00", "100.04", "105.00"}},
        // No "-0" for a value just below zero.
        {{-0.0001, 5}, 0, 10, {"0.0", "5.0"}},
    };
    for (const auto& c : cases) EXPECT_EQ(value_labels(c.values, c.lower, c.upper), c.texts);
}

TEST(ChooseTicks, LinearAxisLabelsRoundNumbersAtTheirPlaces) {
    const auto ticks = choose_ticks(bar_of(Axis::linear, 0, 97), 0.05);
    EXPECT_EQ(values_of(ticks), (std::vector<double>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90}));
    EXPECT_EQ(ticks[3].text, "30");
    EXPECT_DOUBLE_EQ(ticks[3].place, 30.0 / 97.0);
}

TEST(ChooseTicks, LogAxisLabelsPowersOfTenAndTheirDoublesAndFives) {
    const auto ticks = choose_ticks(bar_of(Axis::log, 1, 1000), 0.05);
    EXPECT_EQ(values_of(ticks), (std::vector<double>{1, 2, 5, 10, 20, 50, 100, 200, 500, 1000}));
    EXPECT_NEAR(ticks[4].place, std::log10(20.0) / 3, 1e-12);
    EXPECT_EQ(ticks[9].text, "1000");
    // Many decades leave room for the powers alone.
    EXPECT_EQ(values_of(choose_ticks(bar_of(Axis::log, 1e-3, 1e6), 0.05)).size(), 10u);
    // Within one decade: round numbers on the log axis.
    const auto narrow = choose_ticks(bar_of(Axis::log, 2, 8), 0.05);
    EXPECT_GE(narrow.size(), 3u);
    EXPECT_NEAR(narrow.front().place, 0, 1e-12);
}

TEST(ChooseTicks, StepAxisLabelsStepBeginningsApartAndTheUpperLimit) {
    // 236 steps whose values crowd at the bottom: the places stay equal.
    BarDescription bar;
    for (int i = 0; i < 236; ++i) bar.steps.push_back({{}, std::pow(i / 236.0, 2) * 1000});
    bar.upper = 1000;
    const double gap = 19.5 / 472;
    const auto ticks = choose_ticks(bar, gap);
    ASSERT_GE(ticks.size(), 10u);
    for (std::size_t t = 1; t < ticks.size(); ++t) {
        EXPECT_GE(ticks[t].place - ticks[t - 1].place, gap - 1e-12) << t;
        EXPECT_GT(ticks[t].value, ticks[t - 1].value) << t;
    }
    EXPECT_EQ(ticks.back().place, 1.0);
    EXPECT_EQ(ticks.back().text, "1000");
    // A label sits where its step begins.
    const Tick& third = ticks[2];
    const auto step = static_cast<std::size_t>(std::lround(third.place * 236));
    EXPECT_EQ(third.value, bar.steps[step].begins);
}

TEST(ChooseTicks, ListedValuesKeepTheEndsAndDropWhatCollides) {
    const struct {
        const char* name;
        double lower, upper;
        std::vector<double> listed;
        double gap;
        std::vector<double> values;
        std::vector<std::string> texts;
    } cases[] = {
        {"all apart", 0, 100, {0, 25, 50, 100}, 0.1, {0, 25, 50, 100}, {"0", "25", "50", "100"}},
        // 10 is too close to 0, 95 to the highest, 60 to the 55 kept.
        {"crowded", 0, 100, {0, 10, 55, 60, 95, 100}, 0.2, {0, 55, 100}, {"0", "55", "100"}},
        {"ends too close", 0, 100, {40, 45}, 0.2, {45}, {"45"}},
        {"one", 0, 100, {30}, 0.2, {30}, {"30"}},
        // The fewest digits that keep the value, no exponent below 1e9.
        {"digits", 0, 3e12, {0.125, 33.333333333, 1234567, 2.5e12}, 0, {0.125, 33.333333333, 1234567, 2.5e12},
         {"0.125", "33.33333", "1234567", "2.5e+12"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BarDescription bar = bar_of(Axis::linear, c.lower, c.upper, 1);
        bar.label_values = c.listed;
        const auto ticks = choose_ticks(bar, c.gap);
        EXPECT_EQ(values_of(ticks), c.values);
        std::vector<std::string> texts;
        for (const Tick& t : ticks) texts.push_back(t.text);
        EXPECT_EQ(texts, c.texts);
        for (const Tick& t : ticks) EXPECT_DOUBLE_EQ(t.place, axis_place(bar, t.value));
    }
}

}  // namespace
}  // namespace gridlib::colour_bar
