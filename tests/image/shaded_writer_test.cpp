// The shaded relief writer through its C entry point: images compared byte
// for byte with files assembled in the test, and read back by Pillow.
#include "gridlib.h"
#include "image/image_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace gridlib {
namespace {

using testing::ImagePixels;
using testing::kNull;
using testing::rgb;
using testing::TempDir;

struct Cell {
    float value;
    std::int16_t first, second;  // slope codes
};

// A grid and its gradient file, northern row first.
struct Scene {
    std::int32_t columns;
    std::vector<Cell> cells;

    std::int32_t rows() const { return static_cast<std::int32_t>(cells.size()) / columns; }
    // Writes dir/grid, stored in the given order, and dir/gradient, only
    // gradient_rows rows long when that is given.
    void write(const TempDir& dir, std::int32_t gradient_rows = -1, std::int32_t order = -2) const {
        std::vector<float> values;
        testing::ByteWriter gradient;
        for (const Cell& c : cells) values.push_back(c.value);
        for (std::int32_t r = 0; r < (gradient_rows < 0 ? rows() : gradient_rows); ++r) {
            const auto row = cells.begin() + r * columns;
            std::for_each(row, row + columns, [&](const Cell& c) { gradient.i16(c.first); });
            std::for_each(row, row + columns, [&](const Cell& c) { gradient.i16(c.second); });
        }
        testing::write_working_grid(dir.file("grid"), columns, values, order);
        testing::write_file(dir.file("gradient"), gradient.bytes());
    }
};

// The arguments of one call; the light falls straight from above onto
// slope tables of zeros but for the entries a test sets.
struct Shade : testing::WorkingDescriptor {
    std::int32_t depth = 8, invert = 0, mapping = 1, colour_count = 227;
    std::array<std::int32_t, GRIDLIB_LEVELS> levels{};
    std::array<std::int32_t, 3 * GRIDLIB_COLOURS> colours{};
    float light_x = 0, light_y = 0, light_z = 1, dark = 0, bright = 1;
    std::array<float, 64> slopes{};

    Shade(const Scene& s, float lower, float upper) : WorkingDescriptor(s.columns, s.rows(), lower, upper) {
        for (int p = 0; p < GRIDLIB_COLOURS; ++p) {
            colours[p] = p;
            colours[GRIDLIB_COLOURS + p] = 255 - p;
            colours[2 * GRIDLIB_COLOURS + p] = p / 2;
        }
    }
    std::int32_t draw(const TempDir& dir, const std::string& image, const std::string& gradient = "gradient") {
        // Names as blank-padded fixed-length texts.
        const std::string grid_text = dir.file("grid") + "  ", gradient_text = dir.file(gradient) + "    ",
                          image_text = dir.file(image) + " ";
        const auto grid_length = static_cast<std::int32_t>(grid_text.size()),
                   gradient_length = static_cast<std::int32_t>(gradient_text.size()),
                   image_length = static_cast<std::int32_t>(image_text.size());
        std::int32_t status = 99;
        GRDSUN2BMP(grid_text.data(), &grid_length, gradient_text.data(), &gradient_length, image_text.data(),
                   &image_length, ihead.data(), rhead.data(), &depth, &invert, &mapping, levels.data(), &colour_count,
                   colours.data(), &light_x, &light_y, &light_z, &dark, &bright, slopes.data(), &status);
        return status;
    }
    std::vector<std::array<int, 3>> palette() const {
        std::vector<std::array<int, 3>> p;
        for (int i = 0; i < colour_count; ++i)
            p.push_back({colours[i], colours[GRIDLIB_COLOURS + i], colours[2 * GRIDLIB_COLOURS + i]});
        return p;
    }
};

// The palette index of a colour step 0..4095 at a brightness 0..63: 15
// brightness rows of 15 value steps, from 1.
std::uint32_t palette_index(int step, int brightness) {
    return static_cast<std::uint32_t>(brightness * 15 / 64 * 15 + step * 15 / 4096 + 1);
}

// The brightness 0..63 of a cell whose slope table entries are ta and tb,
// under the light of Shade: its surface normal's z, x 63.99 and truncated.
int brightness(double ta, double tb) {
    const double d = 1.0 - ta * ta * tb * tb;
    const double nx = ta * std::sqrt((1.0 - tb * tb) / d), ny = tb * std::sqrt((1.0 - ta * ta) / d);
    return static_cast<int>(std::sqrt(std::max(0.0, 1.0 - nx * nx - ny * ny)) * 63.99);
}

// The tinted rainbow colour of a step at a brightness, as the colour
// calculator gives it, each component x 255 truncated.
std::uint32_t shaded_colour(int step, int brightness) {
    const float fraction = static_cast<float>(step) / 4095.0f, tint = (static_cast<float>(brightness) - 31.5f) / 35.0f;
    const float exponent = 1.0f;
    const std::int32_t scheme = 5, no_user_colours = 0;
    float r = 0, g = 0, b = 0;
    CLCRGB(&fraction, &tint, &exponent, &scheme, &no_user_colours, nullptr, &r, &g, &b);
    return rgb(static_cast<int>(r * 255.0f), static_cast<int>(g * 255.0f), static_cast<int>(b * 255.0f));
}

// Limits 0..1. Slope step 63 is tilted by 1 (lit edge-on: brightness 0),
// step 32 by 0.6, the rest flat: full brightness 63 under a light equal to
// the flat normal.
Scene relief() {
    return {3,
            {// the lowest value dark, the highest bright, the middle one half tilted
             {0.0f, 255, 1}, {1.0f, 1, 0}, {0.5f, 130, 2},
             // a null cell, and two cells without shading data
             {kNull, 100, 100}, {0.25f, 0, 100}, {0.75f, -7, 9}}};
}

void tilt(Shade& shade) {
    shade.slopes[63] = 1.0f;
    shade.slopes[32] = 0.6f;
}

TEST(ShadedImage, PaletteImageOf15ValueStepsAt15Brightnesses) {
    TempDir dir;
    relief().write(dir);
    Shade shade(relief(), 0.0f, 1.0f);
    tilt(shade);
    ASSERT_EQ(shade.draw(dir, "s.bmp"), GRIDLIB_OK);
    // The middle value is bin 2048 from 0: value step 7 of 15.
    const ImagePixels expected{3,
                               2,
                               8,
                               shade.palette(),
                               {palette_index(0, brightness(1, 0)), palette_index(4095, brightness(0, 0)),
                                palette_index(2048, brightness(0.6, 0)), 0, 0, 0}};
    ASSERT_EQ(expected.pixels[0], 1u);  // the lowest value at the darkest step
    ASSERT_EQ(expected.pixels[1], 225u);
    testing::expect_bmp_file(dir.file("s.bmp"), expected);

    // A grid stored southern row first still pairs each row with its
    // gradient record, which is stored northern row first.
    relief().write(dir, -1, 1);
    ASSERT_EQ(shade.draw(dir, "s.bmp"), GRIDLIB_OK);
    EXPECT_EQ(testing::read_file(dir.file("s.bmp")), testing::bmp_bytes(expected));

    // As a PNG (any case of the name), index 0 is transparent; with fewer
    // colours than the indices reach, the palette still covers them all.
    shade.colour_count = 8;
    ASSERT_EQ(shade.draw(dir, "s.Png"), GRIDLIB_OK);
    Shade covering = shade;
    covering.colour_count = 226;
    ImagePixels png = expected;
    png.palette = covering.palette();
    testing::expect_png_file(dir.file("s.Png"), png, {255, 255, 255, 0, 0, 0});
}

TEST(ShadedImage, TrueColourDrawsOnlyNullAndUnshadedCellsWhiteAtAnyWidth) {
    TempDir dir;
    relief().write(dir);
    Shade shade(relief(), 0.0f, 1.0f);
    tilt(shade);
    shade.depth = 24;
    ASSERT_EQ(shade.draw(dir, "s.bmp"), GRIDLIB_OK);
    const std::uint32_t white = rgb(255, 255, 255);
    const ImagePixels expected{3,
                               2,
                               24,
                               {},
                               {shaded_colour(0, brightness(1, 0)), shaded_colour(4095, brightness(0, 0)),
                                shaded_colour(2048, brightness(0.6, 0)), white, white, white}};
    // The lowest value at the darkest step is a colour of its own, not a hole.
    EXPECT_NE(expected.pixels[0], white);
    testing::expect_bmp_file(dir.file("s.bmp"), expected);
    // In a PNG the white cells, and only they, are transparent.
    ASSERT_EQ(shade.draw(dir, "s.PNG"), GRIDLIB_OK);
    testing::expect_png_file(dir.file("s.PNG"), expected, {255, 255, 255, 0, 0, 0});

    // A requested width is approached as in the palette image, and the
    // request stays: twice the width draws each cell as 2 x 2 pixels; two
    // pixels for three columns keep every second row and column from the
    // south-west corner, so only the southern row.
    ImagePixels doubled{6, 4, 24, {}, {}};
    for (std::size_t y = 0; y < 4; ++y)
        for (std::size_t x = 0; x < 6; ++x) doubled.pixels.push_back(expected.pixels[y / 2 * 3 + x / 2]);
    shade.ihead[GRIDLIB_IMAGE_WIDTH] = 6;
    ASSERT_EQ(shade.draw(dir, "s.bmp"), GRIDLIB_OK);
    EXPECT_EQ(testing::read_file(dir.file("s.bmp")), testing::bmp_bytes(doubled));
    EXPECT_EQ(shade.ihead[GRIDLIB_IMAGE_WIDTH], 6);
    shade.ihead[GRIDLIB_IMAGE_WIDTH] = 2;
    ASSERT_EQ(shade.draw(dir, "s.bmp"), GRIDLIB_OK);
    EXPECT_EQ(testing::read_file(dir.file("s.bmp")),
              testing::bmp_bytes({2, 1, 24, {}, {expected.pixels[3], expected.pixels[5]}}));
}

TEST(ShadedImage, SlopeCodesOutsideTheTableCountAsItsEnds) {
    // Codes 0..255 select slope steps code / 4; above 255 counts as 255 and
    // below 0 as 0. Steps 62 and 63 are tilted apart, so that each step shows.
    struct Codes {
        std::int16_t first, second;
        int first_step, second_step;
    };
    const std::vector<Codes> codes = {{252, 1, 63, 0},   {255, 3, 63, 0},    {256, 0, 63, 0},   {32767, 2, 63, 0},
                                      {251, 1, 62, 0},   {1, 252, 0, 63},    {2, 255, 0, 63},   {1, 300, 0, 63},
                                      {3, 32767, 0, 63}, {1, 248, 0, 62},    {3, 3, 0, 0},      {1, -5, 0, 0},
                                      {1, -32768, 0, 0}, {255, 255, 63, 63}, {300, 251, 63, 62}};
    // One column: an 8-bit line of 1 byte and 3 zero bytes; every cell at the lowest value.
    Scene scene{1, {}};
    for (const Codes& c : codes) scene.cells.push_back({0.0f, c.first, c.second});
    TempDir dir;
    scene.write(dir);
    Shade shade(scene, 0.0f, 1.0f);
    shade.slopes[62] = 0.6f;
    shade.slopes[63] = 0.8f;

    // Inverted, the slope steps turn round with the colour order: step i
    // reads entry 63 - i, and the lowest value takes the last value step.
    for (const int invert : {0, 2}) {
        shade.invert = invert;
        const auto entry = [&](int step) { return shade.slopes[static_cast<std::size_t>(invert ? 63 - step : step)]; };
        ImagePixels expected{1, scene.rows(), 8, shade.palette(), {}};
        for (const Codes& c : codes)
            expected.pixels.push_back(
                palette_index(invert ? 4095 : 0, brightness(entry(c.first_step), entry(c.second_step))));
        ASSERT_EQ(shade.draw(dir, "codes.bmp"), GRIDLIB_OK);
        testing::expect_bmp_file(dir.file("codes.bmp"), expected);
    }
}

TEST(ShadedImage, LightingThatCannotBeWorkedOutIsDark) {
    // Two slopes of 1 leave the normal undefined (0 / 0), and so do equal
    // references: both cells are drawn at brightness 0, the flat one too.
    Scene scene{2, {{0.0f, 255, 255}, {0.0f, 1, 0}}};
    TempDir dir;
    scene.write(dir);
    Shade steep(scene, 0.0f, 1.0f);
    steep.slopes[63] = 1.0f;
    ASSERT_EQ(steep.draw(dir, "n.bmp"), GRIDLIB_OK);
    EXPECT_EQ(testing::read_file(dir.file("n.bmp")),
              testing::bmp_bytes({2, 1, 8, steep.palette(), {palette_index(0, 0), palette_index(0, 63)}}));
    Shade even(scene, 0.0f, 1.0f);
    even.dark = even.bright = 1.0f;
    ASSERT_EQ(even.draw(dir, "n.bmp"), GRIDLIB_OK);
    EXPECT_EQ(testing::read_file(dir.file("n.bmp")),
              testing::bmp_bytes({2, 1, 8, even.palette(), {palette_index(0, 0), palette_index(0, 0)}}));
}

TEST(ShadedImage, LevelTableServesTheBinsBetweenTheEnds) {
    // Limits 0..4096: bin k (from 0) holds the values k .. k + 1. Flat
    // slopes, so every pixel is in the brightest row.
    const std::vector<float> values = {0.0f, 4096.0f, 2048.5f, 4095.5f, 100.5f, 200.5f, 1.5f};
    Scene scene{static_cast<std::int32_t>(values.size()), {}};
    for (float v : values) scene.cells.push_back({v, 1, 0});
    TempDir dir;
    scene.write(dir);
    Shade shade(scene, 0.0f, 4096.0f);
    shade.levels.fill(3000);
    shade.levels[2047] = 1;     // bin 2048 takes entry 2048 from 1
    shade.levels[2048] = 4096;  // and not its own
    shade.levels[4094] = 2049;  // the last bin below the upper limit
    shade.levels[99] = -5;      // damaged levels are clamped to 1..4096
    shade.levels[199] = 99999;
    // The lowest bin and the upper limit keep their ends; bin 1 takes entry 1.
    const std::vector<int> steps = {0, 4095, 0, 2048, 0, 4095, 2999};

    for (auto [mapping, invert] : {std::pair{2, 0}, std::pair{2, 2}, std::pair{1, 0}}) {
        shade.mapping = mapping;
        shade.invert = invert;
        ImagePixels expected{scene.columns, 1, 8, shade.palette(), {}};
        for (std::size_t c = 0; c < values.size(); ++c) {
            int step = mapping == 2 ? steps[c] : std::min(static_cast<int>(values[c]), 4095);
            if (invert == 2) step = 4095 - step;
            expected.pixels.push_back(palette_index(step, 63));
        }
        ASSERT_EQ(shade.draw(dir, "levels.bmp"), GRIDLIB_OK);
        EXPECT_EQ(testing::read_file(dir.file("levels.bmp")), testing::bmp_bytes(expected))
            << "mapping " << mapping << " invert " << invert;
    }
}

TEST(ShadedImage, WideGridsHaveNoColumnLimit) {
    // 60000 columns: wider than any fixed row buffer of 40960 values, 20480
    // slope codes or 163840 line bytes would allow.
    Scene scene{60000, std::vector<Cell>(120000, Cell{1.0f, 1, 0})};
    scene.cells[60000 - 1].value = kNull;
    TempDir dir;
    scene.write(dir);
    Shade shade(scene, 0.0f, 1.0f);
    shade.depth = 24;
    ASSERT_EQ(shade.draw(dir, "wide.bmp"), GRIDLIB_OK);
    ImagePixels expected{60000, 2, 24, {}, std::vector<std::uint32_t>(120000, shaded_colour(4095, 63))};
    expected.pixels[60000 - 1] = rgb(255, 255, 255);
    EXPECT_EQ(testing::read_file(dir.file("wide.bmp")), testing::bmp_bytes(expected));
}

TEST(ShadedImage, RefusalsAndFailuresLeaveNothingBehind) {
    TempDir dir;
    relief().write(dir);
    testing::write_file(dir.file("old.bmp"), std::string_view("old image"));
    const auto unchanged = [&] {
        EXPECT_EQ(testing::entries(dir.path()), (std::vector<std::string>{"gradient", "grid", "old.bmp"}));
        EXPECT_EQ(testing::read_text(dir.file("old.bmp")), "old image");
    };

    Shade bil(relief(), 0.0f, 1.0f);
    bil.ihead[GRIDLIB_FORMAT] = GRIDLIB_FORMAT_BIL;
    EXPECT_EQ(bil.draw(dir, "old.bmp"), GRIDLIB_REFUSED);
    Shade flat(relief(), 1.0f, 1.0f);
    EXPECT_EQ(flat.draw(dir, "old.bmp"), GRIDLIB_REFUSED);
    Shade no_palette(relief(), 0.0f, 1.0f);
    no_palette.colour_count = 0;
    EXPECT_EQ(no_palette.draw(dir, "old.bmp"), GRIDLIB_REFUSED);
    Shade levels(relief(), 0.0f, 1.0f);
    levels.mapping = 2;
    std::int32_t status = 99;
    const std::int32_t name_length = 3;
    GRDSUN2BMP("g.g", &name_length, "d.d", &name_length, "i.i", &name_length, levels.ihead.data(), levels.rhead.data(),
               &levels.depth, &levels.invert, &levels.mapping, nullptr, &levels.colour_count, levels.colours.data(),
               &levels.light_x, &levels.light_y, &levels.light_z, &levels.dark, &levels.bright, levels.slopes.data(),
               &status);
    EXPECT_EQ(status, GRIDLIB_REFUSED);  // mapping 2 without a level table
    // 2^30 columns of 3 bytes on two lines: more than the size fields hold.
    Shade huge(relief(), 0.0f, 1.0f);
    huge.depth = 24;
    huge.ihead[GRIDLIB_COLUMNS] = 1 << 30;
    EXPECT_EQ(huge.draw(dir, "old.bmp"), GRIDLIB_IMAGE_TOO_LARGE);
    unchanged();

    Shade shade(relief(), 0.0f, 1.0f);
    EXPECT_EQ(shade.draw(dir, "old.bmp", "absent"), GRIDLIB_IMAGE_GRID_UNREADABLE);
    EXPECT_EQ(shade.draw(dir, "no such dir/s.bmp"), GRIDLIB_IMAGE_WRITE_FAILED);
    unchanged();
    relief().write(dir, 1);  // a gradient record short
    EXPECT_EQ(shade.draw(dir, "old.bmp"), GRIDLIB_IMAGE_GRID_UNREADABLE);
    unchanged();
    relief().write(dir);
    testing::write_working_grid(dir.file("grid"), 3, {1, 2, 3, 4, 5, 6}, -2, 1);  // a grid row short
    EXPECT_EQ(shade.draw(dir, "old.bmp"), GRIDLIB_IMAGE_GRID_UNREADABLE);
    unchanged();
}

}  // namespace
}  // namespace gridlib
