// The colour steps of a palette image and the text made safe for SVG.
#include "colour_bar/bar_description.h"
#include "colour_bar/bar_svg.h"
#include "colour_bar/utf8.h"

#include <gtest/gtest.h>

#include <vector>

namespace gridlib::colour_bar {
namespace {

// Entry p is (p, 10 p, 100 - p).
std::vector<std::int32_t> table_values() {
    std::vector<std::int32_t> v(kColourTableValues, 0);
    for (std::size_t p = 0; p < kColourEntries; ++p) {
        v[p] = static_cast<std::int32_t>(p);
        v[kColourEntries + p] = static_cast<std::int32_t>(10 * p % 256);
        v[2 * kColourEntries + p] = static_cast<std::int32_t>((356 - p) % 256);
    }
    return v;
}

std::vector<std::int32_t> reds(const BarDescription& bar) {
    std::vector<std::int32_t> r;
    for (const ColourStep& s : bar.steps) r.push_back(s.colour.red);
    return r;
}

TEST(DescribePaletteImage, LinearMappingGivesEqualStepsOfTheDataColours) {
    const auto values = table_values();
    const ConstColourTableView table(std::span<const std::int32_t, kColourTableValues>(values.data(), kColourTableValues));
    // Five entries: the null colour, black, then data colours 2, 3 and 4.
    const BarDescription bar = describe_palette_image(0, 4096, GRIDLIB_MAPPING_LINEAR, {}, 5, table);
    EXPECT_EQ(reds(bar), (std::vector<std::int32_t>{2, 3, 4}));
    // Levels 1..1366 take entry 2: (level - 1) / 4096 * 3 < 1.
    EXPECT_EQ(bar.steps[1].begins, 1366);
    EXPECT_EQ(bar.steps[2].begins, 2731);
    EXPECT_EQ(bar.upper, 4096);
    EXPECT_EQ(bar.null_colour, (Rgb8{0, 0, 100}));

    const BarDescription inverted = describe_palette_image(0, 4096, -GRIDLIB_MAPPING_LINEAR, {}, 5, table);
    EXPECT_EQ(reds(inverted), (std::vector<std::int32_t>{4, 3, 2}));
}

TEST(DescribePaletteImage, LevelsDecideWhereStepsBegin) {
    const auto values = table_values();
    const ConstColourTableView table(std::span<const std::int32_t, kColourTableValues>(values.data(), kColourTableValues));
    // The first half of the bins at level 1, the rest at the top level.
    std::vector<std::int32_t> levels(kLevels, 1);
    for (std::size_t k = 2048; k < kLevels; ++k) levels[k] = 4096;
    const BarDescription bar = describe_palette_image(-10, 10, GRIDLIB_MAPPING_THROUGH_LEVELS, levels, 5, table);
    EXPECT_EQ(reds(bar), (std::vector<std::int32_t>{2, 4}));
    EXPECT_DOUBLE_EQ(bar.steps[0].begins, -10);
    EXPECT_DOUBLE_EQ(bar.steps[1].begins, 0);
}

TEST(XmlText, EscapesMarkupAndReplacesWhatXmlCannotHold) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"a<b>&\"c\"", "a&lt;b&gt;&amp;&quot;c&quot;"},
        {"h\xC3\xB6he.grd", "h\xC3\xB6he.grd"},          // UTF-8 kept
        {"bad\xFF.grd", "bad\xEF\xBF\xBD.grd"},           // a stray byte
        {"over\xC0\xAF", "over\xEF\xBF\xBD\xEF\xBF\xBD"},  // an overlong '/'
        {"bell\x07", "bell\xEF\xBF\xBD"},                 // a control character
    };
    for (const auto& c : cases) EXPECT_EQ(xml_text(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace gridlib::colour_bar
