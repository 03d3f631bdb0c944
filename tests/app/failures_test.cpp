#include "failures.h"

#include <gtest/gtest.h>

namespace rastrify {
namespace {

TEST(Failures, GridReadNamesTheFailingRow) {
    EXPECT_EQ(grid_read_failure(-1003, 9, 10),
              " The grid data could not be read : row 3 could not be read (it is missing, short or not a number)"
              " (status -1003)");
    // -3000 is row 2000's failure and a failed seek alike; a grid of fewer
    // rows has no row 2000, and for a larger one both causes are named.
    EXPECT_NE(grid_read_failure(-3000, 9, 2000).find("row 2000 could not be read"), std::string::npos);
    EXPECT_NE(grid_read_failure(-3000, 1, 2000).find("positioning within the file failed"), std::string::npos);
    EXPECT_EQ(grid_read_failure(-3000, 1, 1999).find("row 2000"), std::string::npos);
    EXPECT_NE(grid_read_failure(-3000, 1, 1999).find("positioning within the file failed"), std::string::npos);
    EXPECT_NE(grid_read_failure(-1, 5, 10).find("byte images are not converted"), std::string::npos);
    // Values coded in characters may be coded wrongly.
    EXPECT_NE(grid_read_failure(-1004, 7, 10).find("row 4 could not be read (it is missing, short or not validly "
                                                   "coded)"),
              std::string::npos);
    // Even the most negative status gives a row number, not an overflow.
    EXPECT_NE(grid_read_failure(INT32_MIN, 9, 10).find("row 2147482648"), std::string::npos);
}

}  // namespace
}  // namespace rastrify
