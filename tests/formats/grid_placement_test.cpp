// Placements from the headers' own numbers at projected coordinates, where
// the descriptor's 32-bit reals are a fraction of a metre off: formats and
// header variants the GDAL samples of tests/data/placed/ do not cover.
#include "formats/grid_header.h"
#include "formats/grid_placement.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gridlib::formats {
namespace {

using gridlib::testing::ByteWriter;

// A "$$BGD" grid of 4 x 3 cells of 0.25 x 0.5 whose stated edges run along
// the outer cell edges; 5123401.5 is a 32-bit real, 5123401.625 is not.
std::vector<std::byte> bgd_at(float west, float south) {
    ByteWriter w;
    w.text("$$BGD").pad_to(88).big_endian(true);
    w.f32(west).f32(west + 1.0f).f32(south).f32(south + 1.5f).pad_to(112);
    w.i32(3).i32(4).f32(0.25f).f32(0.5f).pad_to(512);
    return w.zeros(4 * 4 * 3).bytes();
}

struct Case {
    const char* name;
    std::vector<std::byte> content;
    GridPlacement expected;
};

TEST(GridPlacement, FromTheHeadersOwnNumbers) {
    const Case cases[] = {
        // Stored columns (sense 2): the separations change roles with the counts.
        {"columns.gxf",
         ByteWriter().text("#POINTS\n3\n#ROWS\n4\n#PTSEPARATION\n0.5\n#RWSEPARATION\n0.25\n#XORIGIN\n512345.67\n"
                           "#YORIGIN\n5123456.78\n#SENSE\n2\n#GRID\n1 2 3\n4 5 6\n7 8 9\n10 11 12\n").bytes(),
         {512345.67 - 0.125, 5123456.78 - 0.25 + 3 * 0.5, 0.25, 0.5}},
        // A centre origin in x with DX, a corner in y with DY.
        {"mixed.asc",
         ByteWriter().text("ncols 4\nnrows 3\nxllcenter -13623456.55\nyllcorner 4545678.85\ndx 0.3\ndy 0.35\n"
                           "1 2 3 4\n5 6 7 8\n9 10 11 12\n").bytes(),
         {-13623456.55 - 0.15, 4545678.85 + 3 * 0.35, 0.3, 0.35}},
        {"edges.bgd", bgd_at(5123401.5f, 4545678.0f), {5123401.5, 4545678.0 + 1.5, 0.25, 0.5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        const std::string path = dir.file(c.name);
        testing::write_file(path, c.content);
        GridDescriptor g;
        DescriptorView d = g.view();
        ASSERT_EQ(read_grid_header(path, d), 0);
        const auto placement = grid_placement(path, d);
        ASSERT_TRUE(placement);
        EXPECT_NEAR(placement->west, c.expected.west, 1e-9);
        EXPECT_NEAR(placement->north, c.expected.north, 1e-9);
        EXPECT_DOUBLE_EQ(placement->column_width, c.expected.column_width);
        EXPECT_DOUBLE_EQ(placement->row_height, c.expected.row_height);
    }
}

}  // namespace
}  // namespace gridlib::formats
