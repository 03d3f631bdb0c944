// Every routine that reads a working grid, given a descriptor far larger
// than the file: each must find the file short before it makes any buffer
// that grows with the descriptor, and say the grid is unreadable. And the
// images whose single block no machine could hold, refused before they
// are begun.
#include "gridlib.h"
#include "image/block_memory.h"
#include "image/image_files.h"
#include "support/process_memory.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

namespace gridlib {
namespace {

using testing::process_memory;
using testing::TempDir;

// A descriptor of 2^28 columns (a row of 1 GiB of values) for a working
// grid that holds 2 x 2 cells; every image it asks for fits its format.
constexpr std::int32_t kColumns = 1 << 28;

struct Call {
    std::array<std::int32_t, GRIDLIB_IHEAD_SIZE> ihead{};
    std::array<float, GRIDLIB_RHEAD_SIZE> rhead{};
    std::array<std::int32_t, GRIDLIB_LEVELS> levels{};
    std::array<std::int32_t, 3 * GRIDLIB_COLOURS> colours{};
    std::array<float, 3 * GRIDLIB_LEVELS> user_colours{};
    std::array<float, 64> slopes{};
    std::string grid, gradient, image;
    std::int32_t status = 99;

    Call(const TempDir& dir, const std::string& image_name)
        : grid(dir.file("grid")), gradient(dir.file("gradient")), image(dir.file(image_name)) {
        ihead[GRIDLIB_FORMAT] = GRIDLIB_FORMAT_BINARY_512;
        ihead[GRIDLIB_COLUMNS] = kColumns;
        ihead[GRIDLIB_ROWS] = 2;
        rhead[GRIDLIB_COLUMN_SPACING] = rhead[GRIDLIB_ROW_SPACING] = 1.0f;
        rhead[GRIDLIB_NULL] = GRIDLIB_NULL_VALUE;
        rhead[GRIDLIB_COLOUR_MAX] = 1.0f;
    }
    static std::int32_t length(const std::string& s) { return static_cast<std::int32_t>(s.size()); }
};

using Routine = std::function<void(Call&)>;

void palette(Call& c, bool png) {
    const std::int32_t mode = 1, count = 8, g = Call::length(c.grid), i = Call::length(c.image);
    (png ? GRD2PNG : GRD2BMP)(c.grid.data(), &g, c.image.data(), &i, c.ihead.data(), c.rhead.data(), &mode,
                              c.levels.data(), &count, c.colours.data(), &c.status);
}

void user_colour(Call& c) {
    const std::int32_t mode = 1, count = 8, reserved = 0, user = 0, g = Call::length(c.grid),
                       i = Call::length(c.image);
    GRD2BMPCOLTAB(c.grid.data(), &g, c.image.data(), &i, c.ihead.data(), c.rhead.data(), &mode, c.levels.data(),
                  &count, &reserved, &user, c.user_colours.data(), &c.status);
}

void shaded(Call& c, std::int32_t depth) {
    // The gradient file is as long as the descriptor says (sparse): only the
    // working grid is short.
    std::filesystem::resize_file(c.gradient, std::uint64_t{4} * kColumns * 2);
    const std::int32_t invert = 0, mode = 1, count = 227, g = Call::length(c.grid), s = Call::length(c.gradient),
                       i = Call::length(c.image);
    const float x = 0, y = 0, z = 1, dark = 0, bright = 1;
    GRDSUN2BMP(c.grid.data(), &g, c.gradient.data(), &s, c.image.data(), &i, c.ihead.data(), c.rhead.data(), &depth,
               &invert, &mode, c.levels.data(), &count, c.colours.data(), &x, &y, &z, &dark, &bright,
               c.slopes.data(), &c.status);
}

struct ShortGridCase {
    const char* name;
    const char* image;
    Routine routine;
    std::int32_t unreadable;
};

const ShortGridCase kShortGridCases[] = {
    {"GRD2BMP", "o.bmp", [](Call& c) { palette(c, false); }, GRIDLIB_IMAGE_GRID_UNREADABLE},
    {"GRD2PNG", "o.png", [](Call& c) { palette(c, true); }, GRIDLIB_IMAGE_GRID_UNREADABLE},
    {"GRD2BMPCOLTAB", "o.bmp", user_colour, GRIDLIB_IMAGE_GRID_UNREADABLE},
    {"GRD2BMPCOLTAB_png", "o.png", user_colour, GRIDLIB_IMAGE_GRID_UNREADABLE},
    {"GRDSUN2BMP_8_bits", "o.bmp", [](Call& c) { shaded(c, 8); }, GRIDLIB_IMAGE_GRID_UNREADABLE},
    {"GRDSUN2BMP_24_bits_png", "o.png", [](Call& c) { shaded(c, 24); }, GRIDLIB_IMAGE_GRID_UNREADABLE},
    {"GRDGRAD", "",
     [](Call& c) {
         const std::int32_t g = Call::length(c.grid), s = Call::length(c.gradient);
         const float exaggeration = 1;
         GRDGRAD(c.grid.data(), &g, c.gradient.data(), &s, c.ihead.data(), c.rhead.data(), &exaggeration,
                 c.slopes.data(), &c.status);
     },
     GRIDLIB_GRADIENT_GRID_UNREADABLE},
    {"GRDHST", "",
     [](Call& c) {
         const std::int32_t g = Call::length(c.grid);
         const float tail = 1;
         GRDHST(c.grid.data(), &g, c.ihead.data(), c.rhead.data(), &tail, c.levels.data(), &c.status);
     },
     GRIDLIB_HISTOGRAM_UNREADABLE},
};

void PrintTo(const ShortGridCase& c, std::ostream* out) { *out << c.name; }

// One routine per test, so that each runs in a process of its own whose
// peak is its own.
class ShortWorkingGrid : public ::testing::TestWithParam<ShortGridCase> {};

TEST_P(ShortWorkingGrid, IsFoundBeforeAnyBufferIsMade) {
    // One thread: the run's own buffers are what is measured, not the
    // stacks of worker threads.
    ::setenv("GRIDLIB_THREADS", "1", 1);
    TempDir dir;
    testing::write_working_grid(dir.file("grid"), 2, {1, 2, 3, 4});
    testing::write_file(dir.file("gradient"), std::string_view());
    Call call(dir, GetParam().image);
    const std::uint64_t before = process_memory("VmPeak");
    GetParam().routine(call);
    EXPECT_EQ(call.status, GetParam().unreadable);
    // A row of the descriptor alone is 1 GiB.
    EXPECT_LT(process_memory("VmPeak") - before, std::uint64_t{256} << 20);
    EXPECT_EQ(testing::entries(dir.path()), (std::vector<std::string>{"gradient", "grid"}));
}

INSTANTIATE_TEST_SUITE_P(EveryReader, ShortWorkingGrid, ::testing::ValuesIn(kShortGridCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DescriptorBeyondData, LeastBlockMemoryGrowsWithTheReplicationOfAPng) {
    const struct {
        const char* name;
        ImageFormat format;
        std::int32_t columns, rows, width;  // the width requested
        std::uint64_t at_least, at_most;
    } cases[] = {
        // 4 x 3 cells to 2e9 pixels a line: each line stored 5e8 times,
        // a stream of at least 2e9 x 5e8 / 1032 bytes for the first block.
        {"4 columns to 2e9, png", ImageFormat::png, 4, 3, 2000000000, 900'000'000'000'000, UINT64_MAX},
        // A BMP stores each line as often as it is replicated: a block
        // holds one grid row of 4-byte values and one line.
        {"2e8 columns, bmp", ImageFormat::bmp, 200'000'000, 1, 0, 1'000'000'000, 1'000'000'000},
        // A grid drawn at its size or enlarged a little needs about a block.
        {"4000 columns, png", ImageFormat::png, 4000, 3, 0, 200 * 1024, 300 * 1024},
        {"4000 columns to 40000, png", ImageFormat::png, 4000, 3, 40000, 200 * 1024, 1 << 20},
        {"4000 columns to 40000, bmp", ImageFormat::bmp, 4000, 3, 40000, 200 * 1024, 300 * 1024},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        const image::ImageScale scale = image::image_scale(k.width, k.columns);
        const auto layout = image::ImageLayout::plan(k.format, scale.side(k.columns), scale.side(k.rows),
                                                     image::Pixels::palette_indices, 8);
        ASSERT_TRUE(layout);
        const std::uint64_t bytes = image::least_block_memory(*layout, k.columns, scale);
        EXPECT_GE(bytes, k.at_least);
        EXPECT_LE(bytes, k.at_most);
    }
}

}  // namespace
}  // namespace gridlib
