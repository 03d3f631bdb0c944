// A palette file's bar: the image's colours along it, a pixel at a time,
// and the file's own values to label.
#include "colour_bar/palette_file_bar.h"

#include "colour_bar/bar_layout.h"
#include "colour_bar/bar_svg.h"

#include <gtest/gtest.h>

#include <cmath>

namespace gridlib::colour_bar {
namespace {

PaletteFile parsed(const char* text, bool gmt_table) { return std::get<PaletteFile>(parse_palette(text, gmt_table)); }

TEST(DescribePaletteFile, LabelsTheStopsWithinTheData) {
    const struct {
        const char* name;
        const char* text;
        bool gmt;
        double lower, upper;
        std::vector<double> labels;
    } cases[] = {
        // Percentages resolved, stops beyond the data left out.
        {"gdal", "-5 0 0 0\n0% 1 1 1\n25% 2 2 2\n7 3 3 3\n100% 4 4 4\n90 5 5 5\n", false, 2, 22, {2, 7, 22}},
        // Where two segments meet, one label.
        {"gmt", "0 red 10 red\n10 blue 20 blue\n", true, -5, 25, {0, 10, 20}},
        // No stop within the data: its limits.
        {"beyond", "100 0 0 0\n200 9 9 9\n", false, 1, 3, {1, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const BarDescription bar = describe_palette_file(parsed(c.text, c.gmt), c.lower, c.upper);
        EXPECT_EQ(bar.label_values, c.labels);
        EXPECT_EQ(bar.axis, Axis::linear);
        ASSERT_EQ(bar.steps.size(), 1u);
        EXPECT_EQ(bar.steps[0].begins, c.lower);
        EXPECT_EQ(bar.upper, c.upper);
    }
}

TEST(DescribePaletteFile, ColoursAsTheImageDoesAndTheNullColour) {
    const PaletteFile palette = parsed("0 0/0/0 10 200/100/50\nB 1/2/3\nF 4/5/6\nN 7/8/9\n", true);
    const BarDescription bar = describe_palette_file(palette, -3, 14);
    const ValueColours image(palette, -3, 14);
    for (const double v : {-3.0, -0.1, 0.0, 2.5, 7.77, 10.0, 10.5, 14.0}) {
        const Rgba c = image(v);
        EXPECT_EQ(bar.colour_at(v), (Rgb8{c.red, c.green, c.blue})) << v;
    }
    EXPECT_EQ(bar.null_colour, (Rgb8{7, 8, 9}));
    // Without one, white, as the image draws nulls where it has no alpha.
    EXPECT_EQ(describe_palette_file(parsed("0 1 1 1\n", false), 0, 1).null_colour, (Rgb8{255, 255, 255}));
    // A grid of one value still spans a range.
    const BarDescription flat = describe_palette_file(palette, 5, 5);
    EXPECT_GT(flat.upper, 5.0);
    EXPECT_EQ(flat.label_values, (std::vector<double>{5, flat.upper}));
}

// Every pixel of the bar the colour at its middle, runs of one colour one step.
TEST(LayOut, APaletteFileBarIsColouredPixelByPixel) {
    const BarDescription bar = describe_palette_file(parsed("0 0 0 0\n400 255 0 0\n1000 255 255 0\n", false), 0, 1000);
    const BarLayout layout = lay_out(bar, estimated_text_width);
    ASSERT_FALSE(layout.steps.empty());
    const double bottom = layout.bar.y + layout.bar.height;
    double covered = 0;
    for (const PlacedStep& step : layout.steps) {
        EXPECT_EQ(step.box.height, std::round(step.box.height));
        for (double y = step.box.y; y < step.box.y + step.box.height; ++y) {
            const double middle = (bottom - y - 0.5) / layout.bar.height * 1000;
            EXPECT_EQ(step.colour, bar.colour_at(middle)) << y;
        }
        covered += step.box.height;
    }
    EXPECT_EQ(covered, layout.bar.height);
    for (std::size_t i = 1; i < layout.steps.size(); ++i)
        EXPECT_NE(layout.steps[i].colour, layout.steps[i - 1].colour);
    // The red ramp has 255 colours over 160 pixels, the green one 255 over 240.
    EXPECT_GT(layout.steps.size(), 300u);
}

}  // namespace
}  // namespace gridlib::colour_bar
