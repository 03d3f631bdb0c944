// Compressed GXF values: groups, dummies, repeats, and the failures of their rows.
#include "formats/coded_rows.h"
#include "formats/grid_header.h"
#include "grid/grid_reader.h"
#include "support/child_process.h"
#include "support/process_memory.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

namespace gridlib::formats {
namespace {

using testing::process_memory;

TEST_F(CodedRows, GxfGroupsDummiesAndRepeats) {
    // The repeat count %( is 3; %) decodes to 4.
    EXPECT_EQ(gxf("%%%&!!\"\"%(%)\n", 2, {6}), (std::vector<Status>{0}));
    EXPECT_EQ(got, (Rows{{0, 1, N, 4, 4, 4}}));

    // n = 1: "~" is the digit 89. A "$" line and a line with a blank in
    // column 1 hold nothing; the rest of a line after its first blank is no
    // data; surplus groups end with the row, whose successor starts on the
    // next line; the repeat marker and its count are split over lines.
    EXPECT_EQ(gxf("~~ 12\n$%%%\n %%%\n&\"\r\n'(+\n''\n", 1, {4, 2}), (std::vector<Status>{0, 0}));
    EXPECT_EQ(got, (Rows{{89, 89, 1, 3}, {2, 2}}));

    // n = 3 and 4; a count of 0 stores nothing and a repeat running beyond
    // the row's end stops there: the next row starts afresh.
    EXPECT_EQ(gxf("\"\"\"%%%%%'%%(\n\"\"\"%%*%%)%%&\n%%'\n", 3, {2, 1}), (std::vector<Status>{0, 0}));
    EXPECT_EQ(got, (Rows{{3, 4}, {2}}));
    EXPECT_EQ(gxf("%%%&~~~~!!!!\n", 4, {3}), (std::vector<Status>{0}));
    EXPECT_EQ(got, (Rows{{1, 65609999.0f, N}}));  // 90^4 - 1, rounded to a float
}

TEST_F(CodedRows, GxfLinesOfAnyLength) {
    // One line of 200000 groups, well beyond one read buffer, with every
    // group straddling the buffer boundaries somewhere.
    std::string line;
    std::vector<float> want;
    for (int i = 0; i < 200000; ++i) {
        const int v = (i * 37) % 8100;
        line += static_cast<char>('%' + v / 90);
        line += static_cast<char>('%' + v % 90);
        want.push_back(static_cast<float>(v));
    }
    EXPECT_EQ(gxf(line + "\n%&\n", 2, {want.size(), 1}), (std::vector<Status>{0, 0}));
    EXPECT_EQ(got[0], want);
    EXPECT_EQ(got[1], (std::vector<float>{1}));
}

TEST_F(CodedRows, GxfCutGroupsAndShortFilesFailTheirRow) {
    EXPECT_EQ(gxf("%%%\n%%\n", 2, {2}), (std::vector<Status>{-1001}));  // a group cut by the line end
    EXPECT_EQ(gxf("%%% %\n%%\n", 2, {2}), (std::vector<Status>{-1001}));  // ...or by a blank
    EXPECT_EQ(gxf("%%%\n", 2, {1}), (std::vector<Status>{0}));  // surplus characters need no whole group
    EXPECT_EQ(gxf("%%\n%%%&\n%%\n", 2, {1, 2, 2}), (std::vector<Status>{0, 0, -1003}));
    EXPECT_EQ(gxf("%%\"\"", 2, {3}), (std::vector<Status>{-1001}));  // ends waiting for the count
}

// 2147483647 columns: 168 characters could code a row of them in repeats,
// and the data have more, but hold 60 values. The row fails before buffers
// of its size (8 GiB a row) are made.
TEST(GxfCompressedRead, AFirstRowItsDataDoNotHoldFailsBeforeItsBuffersExist) {
    TempDir dir;
    std::string values;
    for (int i = 0; i < 60; ++i) values += "%%%&";
    const std::string input = dir.file("g.gxf");
    write_file(input, "#POINTS\n2147483647\n#ROWS\n2\n#GTYPE\n4\n#GRID\n" + values + "\n" + values + "\n");
    const auto child = gridlib::testing::run_in_child([&] {
        const std::uint64_t before = process_memory("VmPeak");
        GridDescriptor g;
        if (read_grid_header(input, g.view()) != 0) return 2;
        const DescriptorView d = g.view();
        const GridWindow whole{d.west_x(), d.east_x(), 1, d.south_y(), d.north_y(), 1};
        if (read_into_working_grid(input, dir.file("work.tmp"), g.view(), whole) != GRIDLIB_ROW_FAILED - 1) return 3;
        return process_memory("VmPeak") - before < (std::uint64_t{256} << 20) ? 0 : 4;
    });
    EXPECT_TRUE(gridlib::testing::exited_with(child, 0)) << (child ? WEXITSTATUS(*child) : -1);
}

}  // namespace
}  // namespace gridlib::formats
