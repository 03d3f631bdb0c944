#include "colour/colour_map.h"
#include "colour/colour_ramp.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace gridlib {
namespace {

struct Table {
    std::array<std::int32_t, kColourTableValues> values;
    Table() { values.fill(-7); }  // a marker for entries left alone
    ColourTableView view() { return ColourTableView(std::span(values)); }
    Rgb8 at(std::size_t entry) { return view().get(entry); }
};

std::int32_t build(std::int32_t scheme, Table& t, std::int32_t count_in = 0, LightDirection light = {},
                   std::span<const std::int32_t> packed = {}) {
    return build_colour_table(scheme, light, packed, UserColours{}, count_in, t.view());
}

TEST(ColourMap, RainbowSchemeHasTheStatedEntries) {
    Table t;
    EXPECT_EQ(build(2, t), 238);
    EXPECT_EQ(t.at(0), (Rgb8{255, 255, 255}));  // null cells
    EXPECT_EQ(t.at(1), (Rgb8{0, 0, 0}));
    EXPECT_EQ(t.at(2), (Rgb8{0, 0, 255}));      // blue
    EXPECT_EQ(t.at(61), (Rgb8{0, 255, 255}));   // cyan
    EXPECT_EQ(t.at(179), (Rgb8{255, 255, 0}));  // yellow
    EXPECT_EQ(t.at(237), (Rgb8{255, 0, 0}));    // red
    EXPECT_EQ(t.at(238), (Rgb8{-7, -7, -7}));   // not in use, not written
    // Between the corners the ramp is paler than a pure blend of blue and
    // cyan: red is lit too, and blue is no longer full.
    const Rgb8 between = t.at(30);
    EXPECT_GT(between.red, 0);
    EXPECT_GT(between.green, between.red);
    EXPECT_GT(between.blue, between.green);
    EXPECT_LT(between.blue, 255);
}

TEST(ColourMap, ColourCountsOfEveryScheme) {
    Table t;
    EXPECT_EQ(build(1, t), 238);
    EXPECT_EQ(build(3, t), 18);
    EXPECT_EQ(build(4, t), 227);
    EXPECT_EQ(build(5, t), 227);
    EXPECT_EQ(build(6, t), 227);
    EXPECT_EQ(build(-5, t), 227);
    EXPECT_EQ(build(7, t), 218);
    EXPECT_EQ(build(8, t), 218);
    // Other schemes take the count passed in, within what the table holds.
    EXPECT_EQ(build(0, t, 10), 12);
    EXPECT_EQ(build(9, t, 254), 256);
    EXPECT_EQ(build(9, t, 300), 256);
    EXPECT_EQ(build(9, t, -4), 2);
    Table single;
    EXPECT_EQ(build(10, single, 1), 3);
    EXPECT_EQ(single.at(2), (Rgb8{0, 0, 0}));  // a one-colour grey ramp shows its start
}

TEST(ColourMap, GreyCubeAndTintedSchemes) {
    Table grey;
    build(1, grey);
    EXPECT_EQ(grey.at(2), (Rgb8{0, 0, 0}));
    EXPECT_EQ(grey.at(237), (Rgb8{255, 255, 255}));

    Table cube;
    build(7, cube);
    EXPECT_EQ(cube.at(2), (Rgb8{0, 0, 0}));
    EXPECT_EQ(cube.at(3), (Rgb8{0, 0, 51}));  // blue is the lowest base-6 digit
    EXPECT_EQ(cube.at(2 + 6), (Rgb8{0, 51, 0}));
    EXPECT_EQ(cube.at(2 + 36), (Rgb8{51, 0, 0}));
    EXPECT_EQ(cube.at(217), (Rgb8{255, 255, 255}));

    // Scheme 5: groups of 15 steps, darkest tint first; the last step of
    // the lightest group is white.
    Table tinted;
    build(5, tinted);
    EXPECT_EQ(tinted.at(2 + 224), (Rgb8{255, 255, 255}));
    const Rgb8 dark = tinted.at(2), light = tinted.at(2 + 210);
    EXPECT_LT(dark.blue, light.blue);
    EXPECT_LT(dark.green, light.green);
}

TEST(ColourMap, PackedColoursAreRedGreenBlueBytes) {
    std::vector<std::int32_t> packed(16, 0);
    packed[0] = 0x00332211;
    packed[15] = -1;  // all bits set
    Table t;
    EXPECT_EQ(build(3, t, 0, {}, packed), 18);
    EXPECT_EQ(t.at(2), (Rgb8{0x11, 0x22, 0x33}));
    EXPECT_EQ(t.at(17), (Rgb8{255, 255, 255}));
    // A short list gives black for the missing words.
    Table short_list;
    build(3, short_list, 0, {}, std::span(packed).first(1));
    EXPECT_EQ(short_list.at(17), (Rgb8{0, 0, 0}));
}

TEST(ColourMap, ShadedSlopesFollowTheLight) {
    auto entry = [](int p, int q) { return static_cast<std::size_t>(15 * (p + 7) + (q + 7) + 2); };
    Table overhead;
    EXPECT_EQ(build(4, overhead, 0, {0.0f, 90.0f}), 227);
    EXPECT_EQ(overhead.at(entry(0, 0)).red, 244);  // flat, lit from above: (1 + 0.15) / 1.2
    EXPECT_EQ(overhead.at(entry(7, 0)).red, 54);   // the steepest slope, 84 degrees
    EXPECT_EQ(overhead.at(entry(7, 0)), overhead.at(entry(-7, 0)));
    EXPECT_EQ(overhead.at(entry(0, 7)), overhead.at(entry(0, -7)));

    // Light from the east (azimuth 90): slopes along x (the first index)
    // that face it are brighter; slopes along y are symmetric.
    Table east;
    build(4, east, 0, {90.0f, 45.0f});
    EXPECT_GT(east.at(entry(5, 0)).red, east.at(entry(-5, 0)).red + 50);
    EXPECT_NEAR(east.at(entry(0, 5)).red, east.at(entry(0, -5)).red, 1);
}

TEST(ColourCalculator, StatedValues) {
    const UserColours none{};
    EXPECT_EQ(scheme_colour(-0.5f, 0, 1, 2, none), (Rgb{1, 1, 1}));
    EXPECT_EQ(scheme_colour(-2.0f, 0, 1, 7, none), (Rgb{0, 0, 0}));
    EXPECT_EQ(scheme_colour(1.0f, 0, 1, 7, none), (Rgb{1, 1, 1}));
    EXPECT_EQ(scheme_colour(0.0f, 0, 1, 8, none), (Rgb{0, 0, 0}));
    EXPECT_EQ(scheme_colour(0.25f, 0, 1, 1, none), (Rgb{0.5f, 0.5f, 0.5f}));
    EXPECT_EQ(scheme_colour(0.25f, 0, 1, -12, none), (Rgb{0.5f, 0.5f, 0.5f}));  // magnitude 9 or more is grey
    // Above 1 behaves as 1.
    EXPECT_EQ(scheme_colour(3.0f, 0, 1, 2, none), scheme_colour(1.0f, 0, 1, 2, none));
    EXPECT_EQ(scheme_colour(3.0f, 0, 1, 1, none), (Rgb{1, 1, 1}));

    EXPECT_EQ(cube_channel(3), 0.6f);
    EXPECT_EQ(cube_channel(7), 1.0f);
    EXPECT_EQ(cube_channel(-1), 0.0f);
}

TEST(ColourCalculator, TintedRainbowRunsFromVioletToWhite) {
    const UserColours none{};
    const Rgb violet = scheme_colour(0.0f, 0.0f, 1.0f, 5, none);
    EXPECT_NEAR(violet.red, 0.36f, 1e-5f);
    EXPECT_EQ(violet.green, 0.0f);
    EXPECT_NEAR(violet.blue, 1.0f, 1e-6f);
    const Rgb white = scheme_colour(1.0f, 0.0f, 1.0f, -6, none);
    EXPECT_NEAR(white.green, 1.0f, 1e-6f);
    EXPECT_NEAR(white.blue, 1.0f, 1e-6f);
    // An exponent other than 1 bends the tint: |e|^(1/2) > |e| for |e| < 1.
    EXPECT_GT(scheme_colour(0.0f, 1.0f, 2.0f, 5, none).green, scheme_colour(0.0f, 1.0f, 1.0f, 5, none).green);
}

TEST(ColourCalculator, UserColours) {
    std::vector<float> table(kUserColourValues, 0.0f);
    auto set = [&](std::size_t k, Rgb c) {
        table[k] = c.red;
        table[kLevels + k] = c.green;
        table[2 * kLevels + k] = c.blue;
    };
    set(0, {0, 0, 0});
    set(1, {1, 1, 1});
    set(8, {0, 0, 1});
    set(kLevels - 1, {0, 1, 0});

    // Two colours in use: a linear blend.
    const Rgb mid = scheme_colour(0.5f, 0, 1, 2, UserColours{table, 2});
    EXPECT_EQ(mid, (Rgb{0.5f, 0.5f, 0.5f}));
    // All entries in use: the last one is reached without reading past it.
    EXPECT_EQ(scheme_colour(1.0f, 0, 1, 0, UserColours{table, kLevels}), (Rgb{0, 1, 0}));
    EXPECT_EQ(scheme_colour(1.0f, 0, 1, 0, UserColours{table, 99999}), (Rgb{0, 1, 0}));

    // Scheme 3 picks entries 1..8 for fractions 0..1, and unclamped
    // fractions stop at the last entry.
    EXPECT_EQ(scheme_colour(0.0f, 0, 1, 3, UserColours{table, 0}), (Rgb{1, 1, 1}));
    EXPECT_EQ(scheme_colour(1.0f, 0, 1, 3, UserColours{table, 0}), (Rgb{0, 0, 1}));
    EXPECT_EQ(scheme_colour(1.0e6f, 0, 1, 3, UserColours{table, 0}), (Rgb{0, 1, 0}));
    // A missing table reads as black rather than out of bounds.
    EXPECT_EQ(scheme_colour(1.0f, 0, 1, 3, UserColours{}), (Rgb{0, 0, 0}));
}

}  // namespace
}  // namespace gridlib
