#include "failures.h"

#include "gridlib.h"

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

// A file refused for want of room names its sizes; the other statuses of
// the same routines keep their messages.
TEST(Failures, NoRoomNamesTheSizes) {
    EXPECT_EQ(room_failure("working grid file", GRIDLIB_NO_ROOM, 85668622336, 8000000000512),
              " The working grid file could not be written : the file system has room for 85668622336 bytes and it "
              "needs 8000000000512 (status -5)");
    for (const std::string& message : {grid_read_failure(GRIDLIB_NO_ROOM, GRIDLIB_FORMAT_GXF, 10),
                                       gradient_failure(GRIDLIB_NO_ROOM), image_failure(GRIDLIB_NO_ROOM, "BMP")}) {
        EXPECT_NE(message.find(" could not be written : the file system has room for "), std::string::npos)
            << message;
        EXPECT_TRUE(message.ends_with(" (status -5)")) << message;
    }
    EXPECT_TRUE(grid_read_failure(GRIDLIB_NO_ROOM, 9, 10).starts_with(" The working grid file "));
    EXPECT_TRUE(gradient_failure(GRIDLIB_NO_ROOM).starts_with(" The gradient file "));
    EXPECT_TRUE(image_failure(GRIDLIB_NO_ROOM, "BMP").starts_with(" The BMP file "));
    EXPECT_EQ(image_failure(GRIDLIB_IMAGE_WRITE_FAILED, "BMP"),
              " The BMP file could not be written : the image file could not be written (status -3)");
}

}  // namespace
}  // namespace rastrify
