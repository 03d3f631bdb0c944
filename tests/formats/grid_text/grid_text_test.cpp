// "$$GRID$$" headers: fields in fixed columns, the extra lines, the extent
// moved from the cell edges to the centres, and headers cut short.
#include "formats/grid_header.h"
#include "formats/header_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace gridlib::formats {
namespace {

// A line with text placed from a 1-based column on.
struct Line {
    std::string text;
    Line& at(std::size_t column, const std::string& field) {
        if (text.size() < column - 1 + field.size()) text.resize(column - 1 + field.size(), ' ');
        text.replace(column - 1, field.size(), field);
        return *this;
    }
};

// columns x rows cells, the x extent west..east, two extra lines.
std::string header(const std::string& columns, const std::string& width, const std::string& west,
                   const std::string& east) {
    const std::string line1 = Line{"$$GRID$$"}.at(9, columns).at(13, "   5").at(29, "   3").text;
    const std::string line2 =
        Line{}.at(15, width).at(19, "   2").at(41, west).at(51, "     200.0").at(71, east).at(81, "     150.0").text;
    const std::string line3 = Line{}.at(1, "      10.0").at(11, "      12.5").at(31, "  7.5").at(41, "     -20.0")
                                  .at(51, "     480.0").text;
    return line1 + "\n" + line2 + "\nextra one\n" + std::string(600, 'x') + "\n" + line3 + "\n;;;\n";
}

HeaderResult read_grid_text(const std::string& text) {
    return read_header(FormatCode::grid_text, text, [](GridDescriptor& g) { g.ihead.fill(-7); });
}

TEST(GridTextHeader, FieldsFromTheirColumns) {
    // 10 columns of 10 over an x extent of 100: the extent runs along the
    // outer cell edges and moves half a cell in.
    auto r = read_grid_text(header("  10", "   2", "       0.0", "     100.0"));
    ASSERT_EQ(r.status, 0);
    auto d = r.d();
    EXPECT_EQ(d.columns(), 10);
    EXPECT_EQ(d.rows(), 5);
    EXPECT_EQ(d.data_offset(), 3);   // the line layout
    EXPECT_EQ(d.value_type(), 2);    // characters per value
    EXPECT_EQ(d.storage_order(), 2); // extra header lines
    EXPECT_EQ(d.west_x(), 5.0f);
    EXPECT_EQ(d.east_x(), 95.0f);
    EXPECT_EQ(d.south_y(), 156.25f);
    EXPECT_EQ(d.north_y(), 193.75f);
    EXPECT_EQ(d.column_spacing(), 10.0f);
    EXPECT_EQ(d.row_spacing(), 12.5f);
    EXPECT_EQ(d.rotation(), 7.5f);
    EXPECT_EQ(d.data_min(), -20.0f);
    EXPECT_EQ(d.data_max(), 480.0f);
    EXPECT_EQ(d.scale_divisor(), 4000.0f);
    EXPECT_EQ(d.null_value(), -1.0e31f);
    EXPECT_EQ(d.mean(), -1.0e31f);

    // With 11 columns the extent runs from centre to centre already.
    r = read_grid_text(header("  11", "   1", "       0.0", "     100.0"));
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.d().west_x(), 0.0f);
    EXPECT_EQ(r.d().east_x(), 100.0f);
    EXPECT_EQ(r.d().scale_divisor(), 63.0f);
    EXPECT_EQ(read_grid_text(header("  11", "   3", "       0.0", "     100.0")).d().scale_divisor(), 250000.0f);

    // A spacing of 0 gives no cell count (a division by 0): the extent stays.
    r = read_grid_text(Line{"$$GRID$$"}.at(9, "   2").text + "\n" + Line{}.at(15, "   1").at(71, "       4.0").text +
                       "\n" + Line{}.at(41, "       1.0").text + "\n");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.d().east_x(), 4.0f);
    EXPECT_EQ(r.d().storage_order(), 0);
}

TEST(GridTextHeader, PlacedFromTheWrittenFieldsWhetherEdgesOrCentres) {
    // 10 columns of 10, rows of 12.5 from a south edge or centre of 150;
    // 5123401.37 is 5123401.5 as a 32-bit real.
    struct {
        const char* east;
        double west, north;
    } const cases[] = {{"5123501.37", 5123401.37, 150.0 + 5 * 12.5},
                       {"5123491.37", 5123401.37 - 5.0, 150.0 - 6.25 + 5 * 12.5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.east);
        testing::TempDir dir;
        const std::string path = dir.file("placed");
        testing::write_file(path, header("  10", "   2", "5123401.37", c.east));
        GridDescriptor g;
        ASSERT_EQ(read_grid_header(path, g.view()), 0);
        const auto placement = grid_placement(path, g.view());
        ASSERT_TRUE(placement);
        EXPECT_NEAR(placement->west, c.west, 1e-9);
        EXPECT_NEAR(placement->north, c.north, 1e-9);
        EXPECT_EQ(placement->column_width, 10.0);
    }
}

TEST(GridTextHeader, MissingLinesAndBadWidths) {
    const std::string full = header("  10", "   2", "       0.0", "     100.0");
    std::vector<std::string> lines;
    for (std::size_t at = 0, next; (next = full.find('\n', at)) != std::string::npos; at = next + 1)
        lines.push_back(full.substr(at, next - at + 1));
    EXPECT_EQ(read_grid_text("").status, -2023);
    EXPECT_EQ(read_grid_text("\n" + lines[1]).status, -2023);  // an empty line is none
    EXPECT_EQ(read_grid_text(lines[0]).status, -2024);
    EXPECT_EQ(read_grid_text(lines[0] + lines[1] + lines[2]).status, -2025);
    EXPECT_EQ(read_grid_text(lines[0] + lines[1] + lines[2] + lines[3]).status, -2026);
    auto r = read_grid_text(header("  10", "   4", "       0.0", "     100.0"));
    EXPECT_EQ(r.status, -2027);
    EXPECT_EQ(r.d().data_max(), 480.0f);  // what was read stays
    EXPECT_EQ(read_grid_text(header("  10", "   0", "       0.0", "     100.0")).status, -2027);
}

}  // namespace
}  // namespace gridlib::formats
