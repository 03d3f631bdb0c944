// Reading text grids (ESRI ASCII, plain GXF) into the working grid.
#include "grid_test_support.h"
#include "platform/file.h"

#include <gtest/gtest.h>

namespace gridlib::testing {
namespace {

class TextRead : public ::testing::Test {
protected:
    std::int32_t read(GridDescriptor& g) {
        return read_into_working_grid(input, working, g.view(), whole(g.view()));
    }
    GridDescriptor esri(std::int32_t columns, std::int32_t rows, std::int32_t header_lines) {
        auto g = descriptor(FormatCode::esri_ascii, columns, rows, header_lines, 0, 1, 1, -9999.0f);
        return g;
    }
    TempDir dir;
    std::string input = dir.file("grid.asc");
    std::string working = dir.file("work.tmp");
};

TEST_F(TextRead, EsriRowsSpanLinesAndIgnoreTheRestOfTheirLastLine) {
    write_file(input,
               "ncols 3\r\nnrows 3\r\nxllcorner 0\r\nyllcorner 0\r\ncellsize 1\r\nNODATA_value -9999\r\n"
               "1 2\r\n3 99 99\r\n"          // northern row over two lines; the rest of the line is ignored
               "\t4,5 ,6\r\n"                // tabs and commas separate too
               "  7  -9999.05  +9.0E0  \r\n");  // southern row; null within 0.1
    auto g = esri(3, 3, 6);
    ASSERT_EQ(read(g), 0);
    EXPECT_EQ(read_working(working).values(),
              (std::vector<std::vector<float>>{{1, 2, 3}, {4, 5, 6}, {7, kNullValue, 9}}));
    EXPECT_EQ(g.view().data_max(), 9.0f);
}

TEST_F(TextRead, FortranAndNonFiniteNumbers) {
    write_file(input, "1.5D+01 -2.5d-1 1.0+2\nnan inf -Infinity\n");
    auto g = esri(3, 2, 0);
    ASSERT_EQ(read(g), 0);
    EXPECT_EQ(read_working(working).values(),
              (std::vector<std::vector<float>>{{15, -0.25f, 100}, {kNullValue, kNullValue, kNullValue}}));
}

TEST_F(TextRead, RowFailuresNameTheRow) {
    write_file(input, "h\n1 2\n3 x\n");
    auto g = esri(2, 2, 1);
    EXPECT_EQ(read(g), -1002);  // a token that is not a number
    EXPECT_EQ(g.view().columns(), 2);

    write_file(input, "h\n1 2\n3");
    g = esri(2, 2, 1);
    EXPECT_EQ(read(g), -1002);  // the file ends inside row 2

    // Rows outside the window are read all the same (text cannot be
    // skipped), so a broken row there still fails.
    write_file(input, "1 2\n3 4\n5 six\n");
    g = esri(2, 3, 0);
    GridWindow w = whole(g.view());
    w.south_y = 1.5f;
    EXPECT_EQ(read_into_working_grid(input, working, g.view(), w), -1003);

    platform::remove_file(working);
    write_file(input, "ncols 2\nnrows 2\n");
    g = esri(2, 2, 6);
    EXPECT_EQ(read(g), -28);  // the file ends within its header lines
    EXPECT_FALSE(platform::file_exists(working));
}

TEST_F(TextRead, TokensAcrossTheReadBufferAreWhole) {
    // Well beyond one 256 KiB read buffer, with numbers of varying width so
    // that some of them straddle a buffer boundary.
    const std::int32_t n = 1000, rows = 120;
    std::string text = "header line\n";
    for (std::int32_t k = 1; k <= rows; ++k) {
        for (std::int32_t i = 1; i <= n; ++i) {
            text += std::to_string(k * 10000 + i) + (i % 7 == 0 ? ".25" : "") + (i % 13 == 0 ? "\n" : " ");
        }
        text += " trailing words\n";
    }
    ASSERT_GT(text.size(), 3u * 256 * 1024);
    write_file(input, text);
    auto g = esri(n, rows, 1);
    ASSERT_EQ(read(g), 0);
    const auto out = read_working(working).values();
    for (std::int32_t s = 0; s < rows; ++s) {
        const std::int32_t k = s + 1;  // the first stored row is the northern one
        for (std::int32_t i = 1; i <= n; ++i) {
            const float want = static_cast<float>(k * 10000 + i) + (i % 7 == 0 ? 0.25f : 0.0f);
            ASSERT_EQ(out[static_cast<std::size_t>(s)][static_cast<std::size_t>(i - 1)], want) << k << " " << i;
        }
    }
}

TEST_F(TextRead, ASurferGridAndAnEsriGridOfTheSameValuesGiveTheSameRows) {
    const std::int32_t n = 4, rows = 3;
    const Truth t = [](std::int32_t i, std::int32_t g) { return i == 2 && g == 2 ? -9999.0f : 0.5f * g - i; };
    std::string text = "ncols 4\nnrows 3\n";
    for (std::int32_t g = rows; g >= 1; --g) {
        for (std::int32_t i = 1; i <= n; ++i) text += std::to_string(t(i, g)) + " ";
        text += "\n";
    }
    write_file(input, text);
    auto esri_grid = esri(n, rows, 2);
    ASSERT_EQ(read(esri_grid), 0);
    const auto from_text = read_working(working).values();

    const std::string surfer = dir.file("grid.grd");
    ByteWriter w;
    w.zeros(100);
    for (std::int32_t g = 1; g <= rows; ++g)
        for (std::int32_t i = 1; i <= n; ++i) w.f64(t(i, g) == -9999.0f ? 1.70141e38 : t(i, g));
    write_file(surfer, w.bytes());
    auto s = descriptor(FormatCode::surfer7, n, rows, 100, 8, 1, 2, 1.70141e38f);
    ASSERT_EQ(read_into_working_grid(surfer, working, s.view(), whole(s.view())), 0);
    EXPECT_EQ(read_working(working).values(), from_text);
    EXPECT_EQ(from_text[1][1], kNullValue);
}

TEST_F(TextRead, GxfRowsFollowTheGridLineAndTheirSense) {
    // Sense 3: rows run east to west, the first one is the northern one.
    write_file(input,
               "#TITLE\nsome grid\n#POINTS\n3\n#ROWS\n2\n#SENSE\n3\n#DUMMY\n-1\n#GRID\n"
               "3 2 1\n"
               "6 -1 4\n");
    auto g = descriptor(FormatCode::gxf, 3, 2, 0, 0, 3, 2, -1.0f);
    g.view().scale_divisor() = 0.5f;  // a transform of scale 2
    g.view().base() = 1;
    ASSERT_EQ(read(g), 0);
    EXPECT_EQ(read_working(working).values(), (std::vector<std::vector<float>>{{3, 5, 7}, {9, kNullValue, 13}}));

    platform::remove_file(working);
    write_file(input, "#POINTS\n3\n#ROWS\n2\n1 2 3\n");
    g = descriptor(FormatCode::gxf, 3, 2, 0, 0);
    EXPECT_EQ(read(g), -27);
    EXPECT_FALSE(platform::file_exists(working));
}

}  // namespace
}  // namespace gridlib::testing
