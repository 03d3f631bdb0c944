// Headers that promise far more than their files hold: the read must fail at
// the row a reader would find missing, without buffers, loops or working
// files sized by the promise.
#include "formats/driver.h"
#include "grid_test_support.h"
#include "formats/grid_header.h"
#include "platform/file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

namespace gridlib::testing {
namespace {

constexpr std::int32_t kMaxCount = std::numeric_limits<std::int32_t>::max();

class OversizedHeader : public ::testing::Test {
protected:
    // The status of planning the read of the whole grid, and whether a row
    // source (with its row buffer) came into being.
    std::pair<std::int32_t, bool> plan(GridDescriptor& g, const std::string& name) {
        auto d = g.view();
        const rows::IndexRange rows{1, d.rows(), 1};
        rows::ReadPlan p;
        const std::int32_t status = formats::plan_rows(name, d, rows, dir.path(), p);
        return {status, p.source != nullptr};
    }
    TempDir dir;
    std::string working = dir.file("work.tmp");
};

TEST_F(OversizedHeader, RowsLongerThanTheFileFailBeforeAnyRowBufferExists) {
    using Planned = std::pair<std::int32_t, bool>;
    // A text grid needs two bytes a value; 2^31 - 1 values a row cannot be in 30 bytes.
    const std::string text = dir.file("g.asc");
    write_file(text, "1 2 3 4 5 6 7 8 9 10 11 12 13\n");
    auto g = descriptor(FormatCode::esri_ascii, kMaxCount, 2, 0, 0, 1, 1, -9999.0f);
    EXPECT_EQ(plan(g, text), (Planned{-1001, false}));
    EXPECT_EQ(read_into_working_grid(text, working, g.view(), whole(g.view())), -1001);

    // ER Mapper rows of 8-byte reals, their data file 16 bytes long.
    write_file(dir.file("e.ers"), "DatasetHeader Begin\n");
    write_file(dir.file("e"), std::string(16, '\0'));
    g = descriptor(FormatCode::er_mapper, kMaxCount, 3, 0, 4);
    EXPECT_EQ(plan(g, dir.file("e.ers")), (Planned{-1001, false}));
    // The data start beyond the file's end.
    g = descriptor(FormatCode::er_mapper, 2, 3, kMaxCount, 4);
    EXPECT_EQ(plan(g, dir.file("e.ers")), (Planned{-1001, false}));

    // Binary grids handed in with sizes their file cannot hold: stored rows
    // and stored columns (whose first row needs an element of every column).
    const std::string binary = dir.file("g.bin");
    write_file(binary, std::string(600, '\0'));
    g = descriptor(FormatCode::surfer7, kMaxCount, 2, 100, 8);
    EXPECT_EQ(plan(g, binary), (Planned{-1001, false}));
    g = descriptor(FormatCode::binary_512, kMaxCount, 2, 512, 4, -1);
    EXPECT_EQ(plan(g, binary), (Planned{-1001, false}));
    g = descriptor(FormatCode::binary_512, 2, 2, 512, 4, -1);
    EXPECT_EQ(plan(g, binary), (Planned{0, true}));
    EXPECT_FALSE(platform::file_exists(working));
}

TEST_F(OversizedHeader, AWindowOnBillionsOfDeclaredRowsVisitsOnlyItsRows) {
    // Southern row first: the window keeps the first two stored rows, which
    // the file holds; the two billion others are never visited.
    const std::string binary = dir.file("g.grd");
    ByteWriter w = ByteWriter().zeros(100);
    for (double v : {1, 2, 3, 4, 5, 6}) w.f64(v);
    write_file(binary, w.bytes());
    auto g = descriptor(FormatCode::surfer7, 2, kMaxCount, 100, 8);
    GridWindow window = whole(g.view());
    window.south_y = -0.5f;
    window.north_y = 1.5f;
    ASSERT_EQ(read_into_working_grid(binary, working, g.view(), window), 0);
    EXPECT_EQ(read_working(working).values(), (std::vector<std::vector<float>>{{3, 4}, {1, 2}}));

    // A window further north starts beyond the data: that row's failure.
    g = descriptor(FormatCode::surfer7, 2, kMaxCount, 100, 8);
    window.south_y = 9.5f;  // rows 10 and 11
    window.north_y = 10.5f;
    EXPECT_EQ(read_into_working_grid(binary, working, g.view(), window), -1010);
}

TEST_F(OversizedHeader, AShortSouthFirstTextGridLeavesNoVastWorkingFile) {
    // Its first row belongs in the last working row, 16 GB into the file;
    // the grid is bound to fail, so nothing but the header is written.
    const std::string gxf = dir.file("g.gxf");
    write_file(gxf, "#POINTS\n2\n#ROWS\n2000000000\n#GRID\n1 2\n3 4\n5 6\n");
    GridDescriptor g;
    ASSERT_EQ(read_grid_header(gxf, g.view()), 0);
    EXPECT_EQ(read_into_working_grid(gxf, working, g.view(), whole(g.view())), -1004);
    EXPECT_EQ(std::filesystem::file_size(working), 512u);

    // A file long enough for every row still has the rows before a failure written.
    write_file(gxf, "#POINTS\n2\n#ROWS\n3\n#GRID\n1 2\n3 4\nfive 6\n");
    g = GridDescriptor{};
    ASSERT_EQ(read_grid_header(gxf, g.view()), 0);
    EXPECT_EQ(read_into_working_grid(gxf, working, g.view(), whole(g.view())), -1003);
    EXPECT_EQ(read_working(working).values()[2], (std::vector<float>{1, 2}));
}

TEST_F(OversizedHeader, AHeaderLineLongerThanTheLineBufferKeepsTheRowsInPlace) {
    // Padded with blanks to 1100 characters: one line to the row reader, so
    // one line to the header count as well.
    const std::string asc = dir.file("g.asc");
    write_file(asc, "ncols 3\nnrows 2\nxllcorner 0" + std::string(1100, ' ') +
                        "\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n1 2 3\n4 5 6\n7 8 9\n");
    GridDescriptor g;
    ASSERT_EQ(read_grid_header(asc, g.view()), 0);
    EXPECT_EQ(g.view().data_offset(), 6);
    ASSERT_EQ(read_into_working_grid(asc, working, g.view(), whole(g.view())), 0);
    EXPECT_EQ(read_working(working).values(), (std::vector<std::vector<float>>{{1, 2, 3}, {4, 5, 6}}));
}

}  // namespace
}  // namespace gridlib::testing
