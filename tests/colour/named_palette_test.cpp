// Named palettes: each name gives its published colours, in place after the
// null colour and black, and the rainbow and grey are the colour schemes.
#include "colour/colour_map.h"
#include "colour/named_palette.h"

#include <gtest/gtest.h>

#include <array>

namespace gridlib {
namespace {

TEST(NamedPalette, EachNameGivesItsColoursFromTheLowestValuesUp) {
    struct Case {
        const char* name;
        Rgb8 first, last;
    };
    // matplotlib's ends of each table; terrain starts at its first green.
    const std::array<Case, 8> cases{{
        {"rainbow", {0, 0, 255}, {255, 0, 0}},
        {"Grey", {0, 0, 0}, {255, 255, 255}},
        {"viridis", {68, 1, 84}, {253, 231, 37}},
        {"cividis", {0, 34, 78}, {254, 232, 56}},
        {"magma", {0, 0, 4}, {252, 253, 191}},
        {"turbo", {48, 18, 59}, {122, 4, 3}},
        {"TERRAIN", {1, 204, 102}, {255, 255, 255}},
        {"diverging", {5, 48, 97}, {103, 0, 31}},
    }};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::array<std::int32_t, kColourTableValues> values{};
        const ColourTableView table(values);
        ASSERT_EQ(build_named_palette(c.name, table), 238);
        EXPECT_EQ(table.get(0), (Rgb8{255, 255, 255}));
        EXPECT_EQ(table.get(1), (Rgb8{0, 0, 0}));
        EXPECT_EQ(table.get(2), c.first);
        EXPECT_EQ(table.get(237), c.last);
    }
}

TEST(NamedPalette, TheRainbowIsTheDefaultSchemeAndOtherNamesAreNone) {
    std::array<std::int32_t, kColourTableValues> named{}, scheme{};
    ASSERT_TRUE(build_named_palette("rainbow", ColourTableView(named)));
    build_colour_table(2, {}, {}, {}, 0, ColourTableView(scheme));
    EXPECT_EQ(named, scheme);
    EXPECT_FALSE(build_named_palette("jet", ColourTableView(named)));
    EXPECT_FALSE(build_named_palette("", ColourTableView(named)));
}

}  // namespace
}  // namespace gridlib
