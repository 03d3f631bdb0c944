// The columns and rows a map window keeps.
#include "rows/index_range.h"

#include <gtest/gtest.h>

namespace gridlib::rows {
namespace {

TEST(IndexRange, StepsLowerTheLastIndexToAWholeNumberOfSteps) {
    auto r = index_range(0, 9, 1, 10, 0, 9, 3);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->first, 1);
    EXPECT_EQ(r->last, 10);
    EXPECT_EQ(r->count(), 4);  // 1, 4, 7, 10
    r = index_range(0, 8, 1, 9, 0, 8, 3);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->last, 7);
    EXPECT_EQ(r->count(), 3);  // 1, 4, 7
}

TEST(IndexRange, WindowEdgesCutToTheCellsInside) {
    // Cells at 0, 10, ..., 90. A window from 25 to 62 keeps cells 3 to 7
    // (x = 20 ... 60): the first index is truncated, not rounded.
    auto r = index_range(0, 90, 10, 10, 25, 62, 1);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->first, 3);
    EXPECT_EQ(r->last, 7);
    // An edge within a thousandth of a cell of the grid's own edge keeps it.
    r = index_range(0, 90, 10, 10, 0.005f, 89.995f, 1);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->first, 1);
    EXPECT_EQ(r->last, 10);
}

TEST(IndexRange, NeverLeavesTheGridAndRefusesNonsense) {
    // Zero spacing would divide by zero: the index is clamped into the grid.
    auto r = index_range(0, 0, 0, 5, 1, 2, 1);
    ASSERT_TRUE(r);
    EXPECT_GE(r->first, 1);
    EXPECT_LE(r->last, 5);
    EXPECT_FALSE(index_range(0, 9, 1, 10, 0, 9, 0));    // step 0
    EXPECT_FALSE(index_range(0, 90, 10, 10, 60, 20, 1));  // west beyond east
}

}  // namespace
}  // namespace gridlib::rows
