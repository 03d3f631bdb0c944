// GXF text grid headers: keywords and their value lines, the sense that
// exchanges rows and columns, the transform, and headers cut short.
#include "formats/header_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace gridlib::formats {
namespace {

// Entries the reader does not set keep the markers.
HeaderResult read_gxf(const std::string& text, float rhead_marker = -7.5f) {
    return read_header(FormatCode::gxf, text, [&](GridDescriptor& g) {
        g.ihead.fill(-7);
        g.rhead.fill(rhead_marker);
    });
}

TEST(GxfHeader, ReadsAFullHeader) {
    auto r = read_gxf(
        "#TITLE\nMagnetics, Protected area block 7\n#POINTS\n  200\n#ROWS\n100\n"
        "#PTSEPARATION\n25.0\n#RWSEPARATION\n50.0\n#XORIGIN\n310000\n#YORIGIN\n6150000\n"
        "#ROTATION\n12.5\n#SENSE\n1\n#ZMINIMUM\n-120.5\n#ZMAXIMUM\n870.25\n#DUMMY\n-99999\n"
        "#GTYPE\n3\n#GRID\n1 2 3\n");
    ASSERT_EQ(r.status, 0);
    auto d = r.d();
    EXPECT_EQ(d.columns(), 200);
    EXPECT_EQ(d.rows(), 100);
    EXPECT_EQ(d.column_spacing(), 25.0f);
    EXPECT_EQ(d.east_x(), 310000.0f + 199 * 25.0f);
    EXPECT_EQ(d.north_y(), 6150000.0f + 99 * 50.0f);
    // Only "#" lines are keywords: "Protected" in the title is no rotation.
    EXPECT_EQ(d.rotation(), 12.5f);
    EXPECT_EQ(d.storage_order(), 1);
    EXPECT_EQ(d.value_type(), 3);
    EXPECT_EQ(d.data_min(), -120.5f);
    EXPECT_EQ(d.data_max(), 870.25f);
    EXPECT_EQ(d.null_value(), -99999.0f);
    EXPECT_EQ(d.mean(), -99999.0f);
    EXPECT_EQ(d.std_dev(), -99999.0f);
    EXPECT_EQ(d.data_offset(), -7);  // the row reader looks for "#GRID" itself
}

TEST(GxfHeader, SenseOfStoredColumnsExchangesCountsAndSpacings) {
    for (int sense : {-1, 2, -3, 4, 1, -2, 3, -4}) {
        auto r = read_gxf("#POINTS\n200\n#ROWS\n100\n#PTSEP\n2\n#RWSEP\n3\n#SENSE\n" + std::to_string(sense) +
                          "\n#GRID\n");
        ASSERT_EQ(r.status, 0);
        auto d = r.d();
        const bool exchanged = sense == -1 || sense == 2 || sense == -3 || sense == 4;
        EXPECT_EQ(d.columns(), exchanged ? 100 : 200);
        EXPECT_EQ(d.column_spacing(), exchanged ? 3.0f : 2.0f);
        EXPECT_EQ(d.east_x(), exchanged ? 297.0f : 398.0f);
        EXPECT_EQ(d.north_y(), exchanged ? 398.0f : 297.0f);
    }
}

TEST(GxfHeader, TransformScalesTheRangeAndDefaultsFillTheRest) {
    auto r = read_gxf("#TRANSFORM\n0.1 1000\n#ZMIN\n50\n#ZMAX\n150\n#GRID\n");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.d().scale_divisor(), 10.0f);
    EXPECT_EQ(r.d().base(), 1000.0f);
    EXPECT_EQ(r.d().data_min(), 1005.0f);
    EXPECT_EQ(r.d().data_max(), 1015.0f);

    // No range lines: the entry values, transformed. No dummy: -1.0e32.
    auto bare = read_gxf("#TRANSFORM\n  2   -1\n#POINTS\n4\n#ROWS\nmany\n#GRID\n", 40.0f);
    ASSERT_EQ(bare.status, 0);
    auto d = bare.d();
    EXPECT_EQ(d.scale_divisor(), 0.5f);
    EXPECT_EQ(d.data_min(), 79.0f);
    EXPECT_EQ(d.null_value(), -1.0e32f);
    EXPECT_EQ(d.rows(), 0);  // not a number
    EXPECT_EQ(d.west_x(), 0.0f);
    EXPECT_EQ(d.east_x(), 3.0f);
    EXPECT_EQ(d.column_spacing(), 1.0f);
    EXPECT_EQ(d.value_type(), 0);
    EXPECT_EQ(d.rotation(), 40.0f);  // untouched
}

TEST(GxfHeader, MissingValueLinesAndMissingGrid) {
    const std::pair<const char*, Status> cases[] = {
        {"#POINTS\n", -2006},       {"#ROWS\n", -2006},     {"#PTSEPARATION\n", -2703},
        {"#RWSEPARATION\n", -2704}, {"#ROTATION\n", -2705}, {"#SENSE\n", -2706},
        {"#GTYPE\n", -2707},        {"#XORIGIN\n", -2708},  {"#YORIGIN\n", -2709},
        {"#ZMINIMUM\n", -2710},     {"#ZMAXIMUM\n", -2713}, {"#TRANSFORM\n", -2006},
        {"#DUMMY\n\n#GRID\n", -2714},  // an empty line is no value
        {"#POINTS\n10\n#ROWS\n5\n", -2006}, {"", -2006},
    };
    for (const auto& [text, status] : cases) EXPECT_EQ(read_gxf(text).status, status) << text;
    EXPECT_EQ(read_gxf("#POINTS\n10\n#XORIGIN\n").d().columns(), 10);  // what was read stays
}

}  // namespace
}  // namespace gridlib::formats
