// The user colour writer through its C entry point: images compared byte for
// byte with files assembled in the test, and read back by Pillow.
#include "gridlib.h"
#include "image/image_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

namespace gridlib {
namespace {

using testing::ImagePixels;
using testing::kNull;
using testing::kWhite;
using testing::rgb;
using testing::TempDir;

// The arguments of one call, for a grid with limits 0..1.
struct Colouring : testing::WorkingDescriptor {
    std::int32_t mapping = 1, user_count = 0;
    std::array<std::int32_t, GRIDLIB_LEVELS> levels{};
    // Exactly the table's size, so that a read beyond it is caught.
    std::vector<float> table = std::vector<float>(3 * GRIDLIB_LEVELS, 0.5f);

    Colouring(std::int32_t columns, std::int32_t rows) : WorkingDescriptor(columns, rows, 0.0f, 1.0f) {}
    void set_row(std::size_t row, float red, float green, float blue) {
        table[row] = red;
        table[GRIDLIB_LEVELS + row] = green;
        table[2 * GRIDLIB_LEVELS + row] = blue;
    }
    std::int32_t draw(const TempDir& dir, const std::string& image) {
        // Names as blank-padded fixed-length texts.
        const std::string grid_text = dir.file("grid") + "   ", image_text = dir.file(image) + "  ";
        const auto grid_length = static_cast<std::int32_t>(grid_text.size()),
                   image_length = static_cast<std::int32_t>(image_text.size());
        const std::int32_t colour_count = 238, reserved = 0;
        std::int32_t status = 99;
        GRD2BMPCOLTAB(grid_text.data(), &grid_length, image_text.data(), &image_length, ihead.data(), rhead.data(),
                      &mapping, levels.data(), &colour_count, &reserved, &user_count, table.data(), &status);
        return status;
    }
};

TEST(UserColourImage, ComputedColoursInterpolateTheUserColours) {
    TempDir dir;
    // Two columns: lines of 6 bytes and 2 zero bytes.
    testing::write_working_grid(dir.file("grid"), 2, {0.0f, 1.0f, 0.5f, kNull});
    Colouring run(2, 2);
    run.user_count = 3;
    run.set_row(0, 1, 0, 0);
    run.set_row(1, 0, 1, 0);
    run.set_row(2, 0, 0, 1);
    // Levels 1 and 4096 are the fractions 0 and 1, the first and the third
    // colour. The middle value is level 2049, fraction 2048 / 4095: just
    // past the second colour, whose green 255 x (1 - 0.00024) truncates to
    // 254 while blue 255 x 0.00024 truncates to 0.
    ASSERT_EQ(run.draw(dir, "c.bmp"), GRIDLIB_OK);
    const ImagePixels expected{2, 2, 24, {}, {rgb(255, 0, 0), rgb(0, 0, 255), rgb(0, 254, 0), kWhite}};
    testing::expect_bmp_file(dir.file("c.bmp"), expected);
    // The same colours in a PNG, the null cell transparent.
    ASSERT_EQ(run.draw(dir, "c.png"), GRIDLIB_OK);
    testing::expect_png_file(dir.file("c.png"), expected, {255, 255, 255, 0});

    // Inverted: level 4097 - k. The middle value, level 2048, falls just
    // short of the second colour: red 0, green 254.
    run.mapping = -1;
    ASSERT_EQ(run.draw(dir, "c.bmp"), GRIDLIB_OK);
    testing::expect_bmp_file(dir.file("c.bmp"), {2, 2, 24, {}, {rgb(0, 0, 255), rgb(255, 0, 0), rgb(0, 254, 0), kWhite}});
}

TEST(UserColourImage, DirectColoursAreTheTableRowOfTheLevel) {
    TempDir dir;
    // One column: lines of 3 bytes and 1 zero byte.
    testing::write_working_grid(dir.file("grid"), 1, {0.0f, 1.0f, kNull});
    Colouring run(1, 3);
    run.set_row(0, 255.9f, 0.5f, 300.0f);  // truncated: 255, 0; 300 keeps its low byte 44
    run.set_row(6, 7, 8, 9);
    run.set_row(4095, 1, 2, 3);
    const std::uint32_t first = rgb(255, 0, 44), seventh = rgb(7, 8, 9), last = rgb(1, 2, 3);

    for (const std::int32_t count : {0, -4}) {
        run.user_count = count;
        ASSERT_EQ(run.draw(dir, "d.bmp"), GRIDLIB_OK);
        testing::expect_bmp_file(dir.file("d.bmp"), {1, 3, 24, {}, {first, last, kWhite}});
    }
    // Inverted, level k takes table row 4097 - k.
    run.mapping = -1;
    ASSERT_EQ(run.draw(dir, "d.bmp"), GRIDLIB_OK);
    testing::expect_bmp_file(dir.file("d.bmp"), {1, 3, 24, {}, {last, first, kWhite}});
    // Through the level table: bin 1 at level 7, bin 4096 at level 100,
    // whose row holds values no byte can: NaN and 3e9 give 0, -1.5 is -1.
    run.mapping = 2;
    run.levels.fill(1);
    run.levels[0] = 7;
    run.levels[4095] = 100;
    run.set_row(99, std::numeric_limits<float>::quiet_NaN(), -1.5f, 3.0e9f);
    ASSERT_EQ(run.draw(dir, "d.bmp"), GRIDLIB_OK);
    testing::expect_bmp_file(dir.file("d.bmp"), {1, 3, 24, {}, {seventh, rgb(0, 255, 0), kWhite}});
}

TEST(UserColourImage, ColourCountBeyondTheTableReadsNoFurther) {
    TempDir dir;
    testing::write_working_grid(dir.file("grid"), 2, {0.0f, 1.0f});
    Colouring run(2, 1);
    run.user_count = 100000;  // the table has 4096 rows, and the vector no more values
    run.set_row(0, 1, 1, 1);
    run.set_row(4095, 0.25f, 0.5f, 1.0f);
    ASSERT_EQ(run.draw(dir, "n.bmp"), GRIDLIB_OK);
    testing::expect_bmp_file(dir.file("n.bmp"), {2, 1, 24, {}, {kWhite, rgb(63, 127, 255)}});
}

TEST(UserColourImage, WideGridsHaveNoColumnLimit) {
    // 60000 columns: wider than a fixed row buffer of 40960 values or a line of 163840 bytes.
    TempDir dir;
    std::vector<float> values(120000, 1.0f);
    values[60000] = kNull;
    testing::write_working_grid(dir.file("grid"), 60000, values);
    Colouring run(60000, 2);
    run.set_row(4095, 1, 2, 3);
    ASSERT_EQ(run.draw(dir, "wide.bmp"), GRIDLIB_OK);
    ImagePixels expected{60000, 2, 24, {}, std::vector<std::uint32_t>(120000, rgb(1, 2, 3))};
    expected.pixels[60000] = kWhite;
    EXPECT_EQ(testing::read_file(dir.file("wide.bmp")), testing::bmp_bytes(expected));
}

TEST(UserColourImage, RefusalsAndFailuresLeaveNothingBehind) {
    TempDir dir;
    testing::write_working_grid(dir.file("grid"), 2, {0.0f, 1.0f, 0.5f, kNull});
    testing::write_file(dir.file("old.bmp"), std::string_view("old image"));
    const auto unchanged = [&] {
        EXPECT_EQ(testing::entries(dir.path()), (std::vector<std::string>{"grid", "old.bmp"}));
        EXPECT_EQ(testing::read_text(dir.file("old.bmp")), "old image");
    };

    Colouring pcidsk(2, 2);
    pcidsk.ihead[GRIDLIB_FORMAT] = GRIDLIB_FORMAT_PCIDSK;
    EXPECT_EQ(pcidsk.draw(dir, "old.bmp"), GRIDLIB_REFUSED);
    Colouring flat(2, 2);
    flat.rhead[GRIDLIB_COLOUR_MIN] = 1.0f;
    EXPECT_EQ(flat.draw(dir, "old.bmp"), GRIDLIB_REFUSED);
    Colouring levels(2, 2);
    levels.mapping = -2;
    std::int32_t status = 99;
    const std::int32_t name_length = 3;
    GRD2BMPCOLTAB("g.g", &name_length, "i.i", &name_length, levels.ihead.data(), levels.rhead.data(), &levels.mapping,
                  nullptr, nullptr, nullptr, &levels.user_count, levels.table.data(), &status);
    EXPECT_EQ(status, GRIDLIB_REFUSED);  // mapping -2 without a level table
    // 2^30 columns of 3 bytes on two lines: more than the size fields hold.
    Colouring huge(1 << 30, 2);
    EXPECT_EQ(huge.draw(dir, "old.bmp"), GRIDLIB_IMAGE_TOO_LARGE);
    unchanged();

    Colouring run(2, 2);
    EXPECT_EQ(run.draw(dir, "no such dir/c.bmp"), GRIDLIB_IMAGE_WRITE_FAILED);
    unchanged();
    testing::write_working_grid(dir.file("grid"), 2, {0.0f, 1.0f, 0.5f, kNull}, -2, 1);  // a row short
    EXPECT_EQ(run.draw(dir, "old.bmp"), GRIDLIB_IMAGE_GRID_UNREADABLE);
    unchanged();
    std::filesystem::remove(dir.file("grid"));
    EXPECT_EQ(run.draw(dir, "old.bmp"), GRIDLIB_IMAGE_GRID_UNREADABLE);
    EXPECT_EQ(testing::entries(dir.path()), (std::vector<std::string>{"old.bmp"}));
    EXPECT_EQ(testing::read_text(dir.file("old.bmp")), "old image");
}

}  // namespace
}  // namespace gridlib
