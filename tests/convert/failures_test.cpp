#include "convert/failures.h"

#include "gridlib.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace gridlib::convert {
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

// Every message the converter gives for a library status, word for word:
// the words now come from the library, and the messages must not change.
TEST(Failures, MessagesForEveryStatus) {
    const std::string grid = " The grid data could not be read : ";
    const std::string plain = "(it is missing, short or not a number)";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {grid_read_failure(-1, 4, 10), grid + "PCIDSK, BIL and BIP byte images are not converted (status -1)"},
        // Header failures: the converter's one sentence, but for the formats
        // read through other libraries, which name the file and the cause.
        {header_failure(-1005, GRIDLIB_FORMAT_ESRI_ASCII, "g.asc"),
         " The grid file format could not be determined : -1005"},
        {header_failure(GRIDLIB_TIFF_ROTATED, GRIDLIB_FORMAT_GEOTIFF, "r.tif"),
         " The grid file r.tif could not be read : the GeoTIFF's placement rotates or shears the grid, which an "
         "image drawn north up cannot show (status -2045)"},
        // Placements the grid reader would refuse as a grid of one column.
        {header_failure(GRIDLIB_TIFF_NOT_FINITE, GRIDLIB_FORMAT_GEOTIFF, "o.tif"),
         " The grid file o.tif could not be read : the GeoTIFF's placement is not finite, or puts the grid beyond "
         "the coordinates a 32-bit real holds (status -2047)"},
        {header_failure(GRIDLIB_TIFF_ZERO_CELL, GRIDLIB_FORMAT_GEOTIFF, "z.tif"),
         " The grid file z.tif could not be read : the GeoTIFF's pixel size is zero, or too small to tell its cells "
         "apart at their coordinates as 32-bit reals (status -2048)"},
        {grid_read_failure(-1, 6, 10), grid + "PCIDSK, BIL and BIP byte images are not converted (status -1)"},
        {grid_read_failure(-1, 9, 10),
         grid + "the grid was refused: it has a single row or column, its placement is not finite or its cells "
                "have no size, its data file is missing or it is too large"
                " (status -1)"},
        {grid_read_failure(-2, 3, 10), grid + "the working grid file could not be written (status -2)"},
        {grid_read_failure(-11, 2, 10), grid + "this grid format cannot be read (status -11)"},
        {grid_read_failure(-27, 3, 10), grid + "no line holding #GRID was found (status -27)"},
        {grid_read_failure(-28, 9, 10), grid + "the file ends within its header lines (status -28)"},
        {grid_read_failure(-101, 2, 10), grid + "positioning within the file failed (status -101)"},
        {grid_read_failure(-1001, 3, 10),
         grid + "row 1 could not be read (it is missing, short, not a number or not validly coded) (status -1001)"},
        {grid_read_failure(-2999, 2, 5000), grid + "row 1999 could not be read " + plain + " (status -2999)"},
        {grid_read_failure(-3000, 1, 1999), grid + "positioning within the file failed (status -3000)"},
        {grid_read_failure(-3000, 8, 2000),
         grid + "row 2000 could not be read " + plain + ", or positioning within the file failed (status -3000)"},
        // A text format never positions within its file: this is its row 2000's failure.
        {grid_read_failure(-3000, 3, 2000),
         grid + "row 2000 could not be read (it is missing, short, not a number or not validly coded) (status -3000)"},
        {grid_read_failure(-3001, 7, 5000),
         grid + "row 2001 could not be read (it is missing, short or not validly coded) (status -3001)"},
        {grid_read_failure(-7, 9, 10), grid + "the reader failed (status -7)"},
        {histogram_failure(-1),
         " The histogram could not be computed : the colour limits were refused (the lower limit is the null value,"
         " as when only -M is given, or lies above the upper limit) (status -1)"},
        {histogram_failure(-2),
         " The histogram could not be computed : the grid has fewer than 2 columns or rows (status -2)"},
        {histogram_failure(-3),
         " The histogram could not be computed : the working grid file could not be read (status -3)"},
        {histogram_failure(-9), " The histogram could not be computed : the histogram routine failed (status -9)"},
        {image_failure(-1, "BMP"), " The BMP file could not be written : the colour limits do not ascend (status -1)"},
        {image_failure(-2, "PNG"),
         " The PNG file could not be written : the image would be too large for the PNG format (status -2)"},
        {image_failure(-3, "BMP"),
         " The BMP file could not be written : the image file could not be written (status -3)"},
        {image_failure(-4, "PNG"),
         " The PNG file could not be written : the working grid file could not be read (status -4)"},
        {image_failure(-7, "BMP"), " The BMP file could not be written : the image writer failed (status -7)"},
        {world_file_failure(-1, "o.pgw"),
         " The world file o.pgw could not be written : the grid's cell size is zero or not a number (status -1)"},
        {world_file_failure(-3, "o.bpw"),
         " The world file o.bpw could not be written : the file could not be written (status -3)"},
        {world_file_failure(-8, "o.bpw"),
         " The world file o.bpw could not be written : the file could not be written (status -8)"},
        {gradient_failure(-1),
         " The slopes of the shaded relief could not be computed : the cell spacing of the grid is not a positive"
         " number (status -1)"},
        {gradient_failure(-3),
         " The slopes of the shaded relief could not be computed : the gradient file could not be written (status -3)"},
        {gradient_failure(-4),
         " The slopes of the shaded relief could not be computed : the working grid file could not be read"
         " (status -4)"},
        {gradient_failure(-2),
         " The slopes of the shaded relief could not be computed : the gradient writer failed (status -2)"},
    };
    for (const auto& [got, expected] : cases) EXPECT_EQ(got, expected);
}

}  // namespace
}  // namespace gridlib::convert
