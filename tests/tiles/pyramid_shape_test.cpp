// The shape of a pyramid and the means that make its coarser levels.
#include "tiles/level_reduction.h"
#include "tiles/pyramid_plan.h"

#include "descriptor/grid_descriptor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace gridlib::tiles {
namespace {

TEST(PyramidPlan, HasOneTileAtTheTopAndOnePixelPerCellAtTheFinestLevel) {
    struct Case {
        std::int64_t columns, rows;
        int finest;
        LevelSize finest_size, top_size;
        std::int64_t tiles;
    };
    for (const Case& c : std::vector<Case>{
             {1, 1, 0, {1, 1}, {1, 1}, 1},
             {256, 256, 0, {256, 256}, {256, 256}, 1},
             {257, 1, 1, {257, 1}, {129, 1}, 3},
             {301, 517, 2, {301, 517}, {76, 130}, 1 + 1 * 2 + 2 * 3},
             {16000, 16000, 6, {16000, 16000}, {250, 250}, 1 + 4 + 16 + 64 + 256 + 32 * 32 + 63 * 63},
             {std::int64_t{1} << 31, 1, 23, {std::int64_t{1} << 31, 1}, {256, 1}, (std::int64_t{1} << 24) - 1},
         }) {
        const PyramidPlan plan(c.columns, c.rows);
        SCOPED_TRACE(std::to_string(c.columns) + " x " + std::to_string(c.rows));
        EXPECT_EQ(plan.finest(), c.finest);
        EXPECT_EQ(plan.level(plan.finest()).columns, c.finest_size.columns);
        EXPECT_EQ(plan.level(plan.finest()).rows, c.finest_size.rows);
        EXPECT_EQ(plan.level(0).columns, c.top_size.columns);
        EXPECT_EQ(plan.level(0).rows, c.top_size.rows);
        EXPECT_EQ(plan.level(0).tile_columns() * plan.level(0).tile_rows(), 1);
        EXPECT_EQ(plan.tile_count(), c.tiles);
    }
}

TEST(LevelReduction, TakesTheMeanOfTheValidCellsOfEachBlock) {
    const float n = kNullValue;
    struct Case {
        const char* name;
        std::vector<float> north, south, want;
    };
    for (const Case& c : std::vector<Case>{
             {"four valid", {1, 2}, {3, 5}, {2.75f}},
             {"one null", {1, n}, {3, 5}, {3}},
             {"three null", {n, n}, {n, 7}, {7}},
             {"all null", {n, n}, {n, n}, {n}},
             {"NaN counts as null", {std::nanf(""), 2}, {n, n}, {2}},
             {"odd width", {1, 2, 10}, {3, 4, 20}, {2.5f, 15}},
             {"odd height", {1, 2, 8, n}, {}, {1.5f, 8}},
             {"the mean of floats rounds once", {0.1f, 0.2f}, {0.3f, 0.4f},
              {static_cast<float>((double(0.1f) + double(0.2f) + double(0.3f) + double(0.4f)) / 4)}},
         }) {
        std::vector<float> out(c.want.size(), -1);
        reduce_row_pair(c.north, c.south, out);
        EXPECT_EQ(out, c.want) << c.name;
    }
}

TEST(LevelReduction, ReducesABandOfAnOddNumberOfRows) {
    const float n = kNullValue;
    // 3 rows of 3: the last row pairs with nothing, the last column too.
    const std::vector<float> band = {1, 3, 5, 7, 9, n, 2, 4, n};
    std::vector<float> out(4, -1);
    reduce_band(band, 3, 3, out);
    EXPECT_EQ(out, (std::vector<float>{5, 5, 3, n}));
}

}  // namespace
}  // namespace gridlib::tiles
