// Reading text grids (ESRI ASCII, GXF plain and compressed, "$$GRID$$")
// into the working grid.
#include "gridlib.h"

#include "formats/grid_header.h"
#include "grid_test_support.h"
#include "platform/file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

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
    EXPECT_EQ(read(g), GRIDLIB_ROW_FAILED - 2);  // a token that is not a number
    EXPECT_EQ(g.view().columns(), 2);

    write_file(input, "h\n1 2\n3");
    g = esri(2, 2, 1);
    EXPECT_EQ(read(g), GRIDLIB_ROW_FAILED - 2);  // the file ends inside row 2

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
    EXPECT_EQ(read(g), GRIDLIB_HEADER_LINES_MISSING);  // the file ends within its header lines
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
    EXPECT_EQ(read(g), GRIDLIB_GXF_NO_GRID_LINE);
    EXPECT_FALSE(platform::file_exists(working));
}

// The characters of a compressed GXF value; the dummy for a negative one.
std::string gxf_code(int v, int width) {
    std::string s(static_cast<std::size_t>(width), '!');
    for (int k = width - 1; k >= 0 && v >= 0; --k, v /= 90) {
        s[static_cast<std::size_t>(k)] = static_cast<char>('%' + v % 90);
    }
    return s;
}

// A GXF file of whole values (-1 null) stored under a sense: written
// numbers (width 0), or coded in width characters with runs as repeats.
// Lines break after every 5 groups, so that repeats split over lines; each
// vector's last line ends with surplus groups, and a comment starts it.
std::string gxf_file(const Truth& t, std::int32_t n, std::int32_t rows, std::int32_t sense, int width) {
    const bool columns = sense == 4 || sense == -3 || sense == -1 || sense == 2;
    const auto length = static_cast<std::size_t>(columns ? rows : n);
    std::string text = "#POINTS\n" + std::to_string(length) + "\n#ROWS\n" + std::to_string(columns ? n : rows) +
                       "\n#SENSE\n" + std::to_string(sense) + "\n#DUMMY\n-1\n#TRANSFORM\n0.5 10\n#GTYPE\n" +
                       std::to_string(width) + "\n#GRID\n";
    const std::vector<float> values = stored_order(t, n, rows, sense);
    for (std::size_t start = 0; start < values.size(); start += length) {
        std::vector<std::string> groups;
        for (std::size_t i = start; i < start + length;) {
            const int v = static_cast<int>(values[i]);
            std::size_t run = 1;
            while (width > 0 && i + run < start + length && values[i + run] == values[i]) ++run;
            if (width > 0 && run >= 3) {
                groups.insert(groups.end(), {std::string(static_cast<std::size_t>(width), '"'),
                                             gxf_code(static_cast<int>(run), width), gxf_code(v, width)});
            } else {
                const std::string one = width > 0 ? gxf_code(v, width) : std::to_string(v) + " ";
                groups.insert(groups.end(), run, one);
            }
            i += run;
        }
        if (width > 0) text += "$ vector\n";
        for (std::size_t g = 0; g < groups.size(); ++g) {
            text += groups[g] + (g % 5 == 4 && g + 1 < groups.size() ? "\n" : "");
        }
        text += width > 0 ? gxf_code(7, width) + gxf_code(8, width) + " surplus\n" : "-1 -1\n";
    }
    return text;
}

class GxfRead : public TextRead {
protected:
    GxfRead() { input = dir.file("grid.gxf"); }
    // The working grid of a GXF file, header read from the file too.
    std::vector<std::byte> working_grid(const std::string& text, GridWindow* window = nullptr) {
        write_file(input, text);
        GridDescriptor g;
        EXPECT_EQ(read_grid_header(input, g.view()), 0);
        const GridWindow w = window ? *window : whole(g.view());
        EXPECT_EQ(read_into_working_grid(input, working, g.view(), w), 0) << text;
        return read_file(working);
    }
    // 7 x 5 whole values with nulls and runs of equal values, below 90.
    const Truth truth = [](std::int32_t i, std::int32_t g) {
        if ((i + g) % 6 == 0) return -1.0f;
        return g == 3 ? 40.0f : static_cast<float>((i * 13 + g * 7) % 89);
    };
};

TEST_F(GxfRead, EverySenseAndEveryCodingGiveTheSameGrid) {
    const auto reference = working_grid(gxf_file(truth, 7, 5, 1, 0));
    std::vector<std::vector<float>> want = expected_rows(truth, 7, 5);
    for (auto& row : want)
        for (float& v : row) v = v < 0 ? kNullValue : v * 0.5f + 10;
    ASSERT_EQ(read_working(working).values(), want);
    for (int width : {0, 1, 2, 3, 4}) {
        for (int sense : {1, 2, 3, 4, -1, -2, -3, -4}) {
            EXPECT_EQ(working_grid(gxf_file(truth, 7, 5, sense, width)), reference) << width << " " << sense;
        }
    }
    // The directory holds nothing of the transposition of stored columns.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);

    // A window with steps takes the same cells from columns as from rows.
    GridWindow w{1.5f, 6.0f, 2, 0.5f, 3.0f, 2};  // columns 2, 4, 6 of 7 and rows 1, 3 of 5
    const auto rows_window = working_grid(gxf_file(truth, 7, 5, -2, 2), &w);
    EXPECT_EQ(read_working(working).values().size(), 2u);
    EXPECT_EQ(working_grid(gxf_file(truth, 7, 5, -3, 2), &w), rows_window);
}

TEST_F(GxfRead, TheRowReaderStartsWhereTheHeaderEnded) {
    // "#grid" in lower case ends the header; a value line holding "#GRID"
    // does not.
    working_grid("#TITLE\nsurvey #GRID of 2001\n#POINTS\n2\n#ROWS\n2\n#grid\n1 2\n3 4\n");
    EXPECT_EQ(read_working(working).values(), (std::vector<std::vector<float>>{{3, 4}, {1, 2}}));
}

TEST_F(GxfRead, AFailingStoredColumnNamesItselfAndLeavesNothing) {
    // Sense -1 with 3 stored columns of 2 values; the second ends early.
    write_file(input, "#POINTS\n2\n#ROWS\n3\n#SENSE\n-1\n#GTYPE\n1\n#GRID\n%&\n%\n");
    GridDescriptor g;
    ASSERT_EQ(read_grid_header(input, g.view()), 0);
    EXPECT_EQ(read_into_working_grid(input, working, g.view(), whole(g.view())), GRIDLIB_ROW_FAILED - 2);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    // A width the decoder has no digits for fails the first row.
    write_file(input, "#POINTS\n2\n#ROWS\n2\n#GTYPE\n5\n#GRID\n%%%%%%%%%%\n%%%%%%%%%%\n");
    g = GridDescriptor{};
    ASSERT_EQ(read_grid_header(input, g.view()), 0);
    EXPECT_EQ(read_into_working_grid(input, working, g.view(), whole(g.view())), -1001);
}

// Right-aligned in a field of the given width.
std::string field(std::size_t width, const std::string& text) { return std::string(width - text.size(), ' ') + text; }

// A "$$GRID$$" grid of 3 x 2 cells of 10 x 20 units whose extent runs along
// the cell edges, one character per value, data range min..max.
std::string grid_text(const std::string& layout, const std::string& min, const std::string& max,
                      const std::string& rows) {
    return "$$GRID$$" + field(4, "3") + field(4, "2") + std::string(12, ' ') + field(4, layout) + "\n" +
           std::string(14, ' ') + field(4, "1") + field(4, "1") + std::string(18, ' ') + field(10, "0.0") +
           field(10, "40.0") + std::string(10, ' ') + field(10, "30.0") + field(10, "0.0") + "\nextra\n" +
           field(10, "10.0") + field(10, "20.0") + std::string(20, ' ') + field(10, min) + field(10, max) + "\n" +
           rows;
}

TEST_F(TextRead, GridTextRowsInBothLayouts) {
    input = dir.file("grid.txt");  // known by its first bytes
    for (const auto& [layout, rows] : {std::pair{"1", ";~#\n;<z\n"}, std::pair{"3", ";;;\n;<z\n"}}) {
        write_file(input, grid_text(layout, "0.0", "126.0", rows));
        GridDescriptor g;
        ASSERT_EQ(read_grid_header(input, g.view()), 0);
        ASSERT_EQ(read_into_working_grid(input, working, g.view(), whole(g.view())), 0) << layout;
        // The first stored row is the northern one; a code v reads 126 v / 63.
        EXPECT_EQ(read_working(working).values(), (std::vector<std::vector<float>>{{2, 2, 2}, {2, 4, kNullValue}}));
        EXPECT_EQ(g.view().west_x(), 5.0f);
        EXPECT_EQ(g.view().north_y(), 30.0f);
        EXPECT_EQ(g.view().data_max(), 4.0f);
    }
    // A grid of one value states it as both ends of its range: every code
    // reads as that value.
    write_file(input, grid_text("1", "7.5", "7.5", ";:y\n:;z\n"));
    GridDescriptor g;
    ASSERT_EQ(read_grid_header(input, g.view()), 0);
    ASSERT_EQ(read_into_working_grid(input, working, g.view(), whole(g.view())), 0);
    EXPECT_EQ(read_working(working).values(),
              (std::vector<std::vector<float>>{{7.5f, 7.5f, 7.5f}, {7.5f, 7.5f, kNullValue}}));

    write_file(input, grid_text("1", "0.0", "1.0", ";;;\n;;"));
    g = GridDescriptor{};
    ASSERT_EQ(read_grid_header(input, g.view()), 0);
    EXPECT_EQ(read_into_working_grid(input, working, g.view(), whole(g.view())), GRIDLIB_ROW_FAILED - 2);
}

}  // namespace
}  // namespace gridlib::testing
