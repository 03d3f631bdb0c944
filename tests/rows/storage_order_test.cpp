// Each named storage order against the corner it starts from and the vectors
// it stores; codes without a name read as plain rows from the south-west.
#include "rows/storage_order.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace gridlib::rows {
namespace {

TEST(StorageOrder, EachNameStartsFromItsCornerWithItsVectors) {
    struct Case {
        std::int32_t order;
        bool east_first, north_first, columns;
    };
    const Case cases[] = {
        {GRIDLIB_ROWS_FROM_SOUTH_WEST, false, false, false},
        {GRIDLIB_COLUMNS_FROM_SOUTH_WEST, false, false, true},
        {GRIDLIB_COLUMNS_FROM_NORTH_WEST, false, true, true},
        {GRIDLIB_ROWS_FROM_NORTH_WEST, false, true, false},
        {GRIDLIB_ROWS_FROM_NORTH_EAST, true, true, false},
        {GRIDLIB_COLUMNS_FROM_NORTH_EAST, true, true, true},
        {GRIDLIB_COLUMNS_FROM_SOUTH_EAST, true, false, true},
        {GRIDLIB_ROWS_FROM_SOUTH_EAST, true, false, false},
        {0, false, false, false},
        {5, false, false, false},
        {-5, false, false, false},
        {std::numeric_limits<std::int32_t>::min(), false, false, false},
    };
    for (const Case& c : cases) {
        const Directions dir = directions_of(c.order);
        EXPECT_EQ(dir.reverse_columns, c.east_first) << c.order;
        EXPECT_EQ(dir.north_first, c.north_first) << c.order;
        EXPECT_EQ(dir.columns_stored, c.columns) << c.order;
    }
}

}  // namespace
}  // namespace gridlib::rows
