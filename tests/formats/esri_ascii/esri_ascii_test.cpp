// ESRI ASCII grid headers: corner and centre origins, keyword spellings,
// header line counts, the null value and truncated headers.
#include "formats/header_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace gridlib::formats {
namespace {

HeaderResult read_esri(const std::string& text) { return read_header_over_marks(FormatCode::esri_ascii, text); }

TEST(EsriAsciiHeader, CornerOriginAsGisPackagesWriteIt) {
    auto r = read_esri(
        "ncols         100\nnrows         50\nxllcorner     500000.5\nyllcorner     4000000\n"
        "cellsize      10\nNODATA_value  -32768\n1 2 3 4\n");
    ASSERT_EQ(r.status, 0);
    auto d = r.d();
    EXPECT_EQ(d.columns(), 100);
    EXPECT_EQ(d.rows(), 50);
    EXPECT_EQ(d.west_x(), 500000.5f);
    EXPECT_EQ(d.east_x(), 500990.5f);
    EXPECT_EQ(d.south_y(), 4000000.0f);
    EXPECT_EQ(d.north_y(), 4000490.0f);
    EXPECT_EQ(d.row_spacing(), 10.0f);
    EXPECT_EQ(d.null_value(), -32768.0f);
    EXPECT_EQ(d.data_offset(), 6);  // lines in front of the first data line
    EXPECT_EQ(d.band_count(), 1);
    EXPECT_EQ(d.value_type(), 0);
    EXPECT_EQ(d.storage_order(), 1);
    EXPECT_EQ(d.byte_order(), 1);
}

TEST(EsriAsciiHeader, CentreOriginUsesTheCellSizeWhereverItComes) {
    auto r = read_esri("XLLCENTER 100.0\nYLLCENTER 200.0\nNCOLS 3\nNROWS 2\nCELLSIZE 10\n5 5 5\n");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.d().west_x(), 95.0f);
    EXPECT_EQ(r.d().south_y(), 195.0f);
    EXPECT_EQ(r.d().east_x(), 115.0f);
    // Each axis on its own: a centre for x leaves a corner for y alone.
    auto mixed = read_esri("ncols 3\nnrows 2\ncellsize 2\nxllcenter 11\nyllcorner 40\n1 2 3\n");
    EXPECT_EQ(mixed.d().west_x(), 10.0f);
    EXPECT_EQ(mixed.d().south_y(), 40.0f);
}

TEST(EsriAsciiHeader, DxAndDyForCellsThatAreNotSquareInAnyOrder) {
    // GDAL writes them after the corner; others may not.
    for (const char* text : {"ncols 3\nnrows 2\nxllcorner 10\nyllcorner 20\ndx 0.5\ndy 2\n1 2 3\n",
                             "DY\t2\nncols 3\nDX 0.5\nnrows 2\nxllcorner 10\nyllcorner 20\n1 2 3\n",
                             "ncols 3\nnrows 2\ndy 2\nxllcenter 10.25\ndx 0.5\nyllcenter 21\n1 2 3\n"}) {
        auto r = read_esri(text);
        ASSERT_EQ(r.status, 0) << text;
        auto d = r.d();
        EXPECT_EQ(d.column_spacing(), 0.5f) << text;
        EXPECT_EQ(d.row_spacing(), 2.0f) << text;
        EXPECT_EQ(d.west_x(), 10.0f) << text;
        EXPECT_EQ(d.east_x(), 11.0f) << text;
        EXPECT_EQ(d.north_y(), 22.0f) << text;
        EXPECT_EQ(d.data_offset(), 6) << text;
    }
    // Only the whole first word: a "dxf" line is no spacing but the first data line.
    EXPECT_EQ(read_esri("ncols 3\nnrows 2\ncellsize 4\ndxf 1\n1 2 3\n").d().column_spacing(), 4.0f);
    EXPECT_EQ(read_esri("ncols 3\nnrows 2\ncellsize 4\ndxf 1\n1 2 3\n").d().data_offset(), 3);
}

TEST(EsriAsciiHeader, AnyCaseTabsCrLfAndBlankLines) {
    auto r = read_esri("NCols 7\r\nnRoWs\t\t4\r\n   \r\nCellSize\t0.5\r\n  xllCorner -1.5\r\n\t\r\n0 1\r\n");
    ASSERT_EQ(r.status, 0);
    auto d = r.d();
    EXPECT_EQ(d.columns(), 7);
    EXPECT_EQ(d.rows(), 4);
    EXPECT_EQ(d.column_spacing(), 0.5f);
    EXPECT_EQ(d.west_x(), -1.5f);
    EXPECT_EQ(d.data_offset(), 6);  // blank lines count as header lines
}

TEST(EsriAsciiHeader, WithoutNodataLineTheFormatsDefaultIsTheNullValue) {
    // With 0 as null value every cell near zero would be lost.
    EXPECT_EQ(read_esri("ncols 2\nnrows 1\n0.0 0.05\n").d().null_value(), -9999.0f);
    EXPECT_EQ(read_esri("ncols 2\nnrows 1\nnodata_value 0\n0.0 0.05\n").d().null_value(), 0.0f);
    EXPECT_EQ(read_esri("ncols\nnrows 1\n1\n").d().columns(), 0);  // a keyword alone gives 0
}

TEST(EsriAsciiHeader, EndsBeforeTheFirstDataLine) {
    for (const char* text : {"ncols 2\nnrows 3\n", "ncols 2\nnrows 3\n\n1 2\n", ""}) {
        auto r = read_esri(text);
        EXPECT_EQ(r.status, -2030) << text;
        EXPECT_EQ(r.d().value_type(), 2) << text;
        if (*text) {
            EXPECT_EQ(r.d().rows(), 3) << "what was read stays";
        }
    }
}

}  // namespace
}  // namespace gridlib::formats
