// The converter's shaded relief (-S) through the real executable: the light
// falls from where the option says, the other options work with it, bad
// values are refused, no temporary file stays, and on a real elevation model
// the brightness follows GDAL's hillshade of the same file.
#include "run_support.h"

#include "support/samples.h"
#include "support/temp_dir.h"

#include "gridlib.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace rastrify::testing {
namespace {

using gridlib::testing::read_file;
using gridlib::testing::TempDir;
using gridlib::testing::test_data;
using gridlib::testing::write_file;

// Limits that put every value of the test grids into the lowest bin, so that
// a pixel's colour varies with its brightness alone (and into the highest
// with -I).
const std::vector<std::string> kOneColour = {"-Hlin", "-m10000", "-M20000"};

// The brightness step 0..63 of each colour the shaded writer gives the
// lowest (fraction 0) or the highest (fraction 1) colour step: its tinted
// rainbow colour, tint (step - 31.5) / 35, through the library's own CLCRGB.
std::map<std::uint32_t, int> brightness_of_colours(float fraction) {
    std::map<std::uint32_t, int> steps;
    const float exponent = 1.0f, user_table = 0.0f;
    const std::int32_t tinted_rainbow = 5, no_user_colours = 0;
    for (int s = 0; s < 64; ++s) {
        const float tint = (static_cast<float>(s) - 31.5f) / 35.0f;
        float red, green, blue;
        CLCRGB(&fraction, &tint, &exponent, &tinted_rainbow, &no_user_colours, &user_table, &red, &green, &blue);
        auto byte = [](float v) { return static_cast<std::uint32_t>(v > 0 ? (v < 1 ? v * 255 : 255) : 0); };
        steps[byte(red) << 16 | byte(green) << 8 | byte(blue)] = s;
    }
    EXPECT_EQ(steps.size(), 64u) << "two brightness steps share a colour";
    return steps;
}

// The brightness step of every pixel, the top (northern) line first; -1 for
// a colour no step has.
std::vector<int> brightness_steps(const Bmp& image, float fraction) {
    const auto steps = brightness_of_colours(fraction);
    std::vector<int> out;
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const auto found = steps.find(image.colour(x, y));
            out.push_back(found == steps.end() ? -1 : found->second);
        }
    }
    return out;
}

class ShadedRelief : public ::testing::Test {
protected:
    // A truncated pyramid on 10 m cells: a level top of 3 x 3 cells, four
    // faces falling 2 m per cell (11.3 degrees) towards the four sides.
    void SetUp() override {
        std::vector<double> heights;
        for (int r = 0; r < kSide; ++r)
            for (int c = 0; c < kSide; ++c)
                heights.push_back(100 - 2 * std::max({std::abs(r - 4), std::abs(c - 4), 1}));
        write_file(dir.file("pyramid.asc"), esri_grid(kSide, kSide, heights));
    }

    // The brightness steps of a conversion of the pyramid with the options.
    std::vector<int> steps(std::vector<std::string> options, float fraction = 0.0f) {
        std::vector<std::string> arguments = {"pyramid.asc", "relief.bmp"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const RunResult r = run_rastrify(dir.path(), arguments);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(working_files(dir.path()).empty());
        const auto image = read_bmp(dir.file("relief.bmp"));
        if (!image) {
            ADD_FAILURE() << "no image";
            return {};
        }
        EXPECT_EQ(image->bits, 24);
        last = *image;
        return brightness_steps(*image, fraction);
    }
    // The brightness of the middle cell of each face and of the top.
    struct Faces {
        int north, south, west, east, top;
    };
    static Faces faces(const std::vector<int>& s) {
        auto at = [&](int r, int c) { return s.at(static_cast<std::size_t>(r * kSide + c)); };
        return {at(1, 4), at(7, 4), at(4, 1), at(4, 7), at(4, 4)};
    }

    static constexpr int kSide = 9;
    TempDir dir;
    Bmp last;
};

TEST_F(ShadedRelief, DefaultLightFallsFromTheNorthWestAtHalfHeight) {
    std::vector<std::string> options = {"-S"};
    options.insert(options.end(), kOneColour.begin(), kOneColour.end());
    const Faces f = faces(steps(options));
    EXPECT_EQ(last.width, kSide);
    EXPECT_EQ(last.height, kSide);
    EXPECT_EQ(f.top, 31);  // level ground: half brightness
    EXPECT_GT(f.north, f.top);
    EXPECT_GT(f.west, f.top);
    EXPECT_LT(f.south, f.top);
    EXPECT_LT(f.east, f.top);
    EXPECT_EQ(f.north, f.west);  // lit alike from halfway between them
    EXPECT_EQ(f.south, f.east);
}

TEST_F(ShadedRelief, AzimuthAndElevationMoveTheLight) {
    std::vector<std::string> west = {"-S270"}, low_west = {"-S270,30"};
    west.insert(west.end(), kOneColour.begin(), kOneColour.end());
    low_west.insert(low_west.end(), kOneColour.begin(), kOneColour.end());
    const Faces high = faces(steps(west));
    EXPECT_EQ(high.top, 31);
    EXPECT_GT(high.west, high.top);
    EXPECT_LT(high.east, high.top);
    // Faces along the light's path are lit alike, and less than level ground.
    EXPECT_EQ(high.north, high.south);
    EXPECT_LT(high.north, high.top);

    // A lower sun: level ground still half bright, the slopes stand out more.
    const Faces low = faces(steps(low_west));
    EXPECT_EQ(low.top, 31);
    EXPECT_GT(low.west, high.west);
    EXPECT_LT(low.east, high.east);
}

TEST_F(ShadedRelief, InvertTurnsTheColoursAndKeepsTheLight) {
    std::vector<std::string> plain = {"-S"};
    plain.insert(plain.end(), kOneColour.begin(), kOneColour.end());
    steps(plain);
    const Bmp lowest = last;
    // Every value above the upper limit, inverted: the lowest colour again,
    // under the same light.
    steps({"-S", "-I", "-Hlin", "-m-20000", "-M-10000"});
    EXPECT_EQ(last.bytes, lowest.bytes);
}

TEST_F(ShadedRelief, WidthRepeatsOrSkipsPixelsAsInTheFlatImage) {
    std::vector<std::string> options = {"-S"};
    options.insert(options.end(), kOneColour.begin(), kOneColour.end());
    const std::vector<int> full = steps(options);

    options.push_back("-W18");
    const std::vector<int> doubled = steps(options);
    EXPECT_EQ(last.width, 2 * kSide);
    // The middle of the southern face (row 7, column 4) at its 2 x 2 block.
    EXPECT_EQ(doubled.at(15 * (2 * kSide) + 9), full.at(7 * kSide + 4));
    EXPECT_EQ(doubled.at(14 * (2 * kSide) + 8), full.at(7 * kSide + 4));
    options.back() = "-W3";  // every third row and column
    steps(options);
    EXPECT_EQ(last.width, 3);
    EXPECT_EQ(last.height, 3);
}

TEST_F(ShadedRelief, ColoursComeFromTheLevelTableAsInTheFlatImage) {
    // A histogram file whose levels are all the first one: every value
    // between its limits takes the lowest colour, which linear steps would
    // not give the pyramid's heights.
    gridlib::testing::ByteWriter h;
    h.i16(0).f32(0.0f).f32(1000.0f);
    for (int k = 0; k < 4096; ++k) h.i32(1);
    write_file(dir.file("levels.hst"), h.bytes());
    const std::vector<int> s = steps({"levels.hst", "-S"});
    EXPECT_EQ(std::count(s.begin(), s.end(), -1), 0);
    EXPECT_EQ(faces(s).top, 31);
}

TEST_F(ShadedRelief, BadValuesAreRefused) {
    const std::string not_a_number = "  The value of the option -S is missing or not a number : ";
    const std::string elevation = "  The light elevation of the option -S is not between 0 and 90 degrees : ";
    const std::string factor = "  The vertical exaggeration of the option -S is not above 0 : ";
    for (const auto& [option, message] : std::map<std::string, std::string>{
             {"-Sabc", not_a_number},
             {"-S270,", not_a_number},
             {"-S,30", not_a_number},
             {"-S270,95", elevation},
             {"-S270,-0.5", elevation},
             {"-S270,45,x", not_a_number},
             {"-S270,45,0", factor},
             {"-S270,45,-2", factor},
         }) {
        const RunResult r = run_rastrify(dir.path(), {"pyramid.asc", "relief.bmp", option});
        EXPECT_EQ(r.status, 1) << option;
        EXPECT_EQ(r.err, message + option + "\n");
        EXPECT_FALSE(std::filesystem::exists(dir.file("relief.bmp"))) << option;
    }
    // The ends of the range are accepted: a sun on the horizon and overhead.
    for (const char* option : {"-S0,0", "-S0,90"}) {
        EXPECT_EQ(run_rastrify(dir.path(), {"pyramid.asc", "relief.bmp", option}).status, 0) << option;
    }
}

TEST_F(ShadedRelief, ImageThatCannotBeWrittenLeavesNoTemporaryFile) {
    const RunResult r = run_rastrify(dir.path(), {"pyramid.asc", "relief.bmp", "-S", "-W2000000000"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("The BMP file could not be written : the image would be too large"), std::string::npos)
        << r.err;
    EXPECT_TRUE(working_files(dir.path()).empty());
}

// The elevation model of tools/make_relief_sample.sh and the hillshade
// `gdaldem hillshade -az 315 -alt 45` made of it: the brightness steps of the
// default -S correlate with GDAL's brightness (cells of its border ring,
// which it leaves at 0, aside).
TEST(ShadedReliefOfARealModel, FollowsGdalsHillshade) {
    TempDir dir;
    std::vector<std::string> arguments = {test_data("relief/jacksboro.asc"), dir.file("relief.bmp"), "-S"};
    arguments.insert(arguments.end(), kOneColour.begin(), kOneColour.end());
    const RunResult r = run_rastrify(dir.path(), arguments);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto image = read_bmp(dir.file("relief.bmp"));
    ASSERT_TRUE(image);
    const std::vector<int> ours = brightness_steps(*image, 0.0f);
    const std::vector<std::byte> gdal = read_file(test_data("relief/jacksboro.hillshade"));
    ASSERT_EQ(ours.size(), gdal.size());

    double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        ASSERT_NE(ours[i], -1) << "cell " << i;
        const double x = ours[i], y = std::to_integer<int>(gdal[i]);
        if (y == 0) continue;
        n += 1, sx += x, sy += y, sxx += x * x, syy += y * y, sxy += x * y;
    }
    ASSERT_GT(n, 0.9 * static_cast<double>(ours.size()));
    const double correlation = (n * sxy - sx * sy) / std::sqrt((n * sxx - sx * sx) * (n * syy - sy * sy));
    RecordProperty("correlation", std::to_string(correlation));
    EXPECT_GE(correlation, 0.98);
    std::printf("correlation with gdaldem hillshade: %.4f over %.0f cells\n", correlation, n);
}

}  // namespace
}  // namespace rastrify::testing
