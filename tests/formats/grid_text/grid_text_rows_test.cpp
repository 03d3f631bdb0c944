// "$$GRID$$" rows: fixed-width and run-length lines, and the failures of their rows.
#include "formats/coded_rows.h"

#include <gtest/gtest.h>

namespace gridlib::formats {
namespace {

TEST_F(CodedRows, GridTextRunLengthLines) {
    // n = 2: ":;~#" is the value :; (code 1) and four repeats of it. A "~"
    // at the end of a line repeats once: its count is a trailing blank.
    EXPECT_EQ(grid(":;~#\n", 2, false, {5}), (std::vector<Status>{0}));
    EXPECT_EQ(got, (Rows{{2, 2, 2, 2, 2}}));
    EXPECT_EQ(grid(":y~   \nzz;:\n", 2, false, {4}), (std::vector<Status>{0}));
    EXPECT_EQ(got, (Rows{{126, 126, N, 128}}));

    // n = 1 over two lines; "y" is the largest code and "z" null. Columns
    // beyond 124 are ignored, and so are values beyond the row's end.
    const std::string full = std::string(123, ';') + "y" + "::::";
    EXPECT_EQ(grid(full + "\nz:\n;;;\n", 1, false, {126, 1}), (std::vector<Status>{0, 0}));
    EXPECT_EQ(got[0].size(), 126u);
    EXPECT_EQ(got[0][0], 2);
    EXPECT_EQ(got[0][123], 126);
    EXPECT_EQ(got[0][124], N);
    EXPECT_EQ(got[0][125], 0);
    EXPECT_EQ(got[1], (std::vector<float>{2}));

    // n = 3, each code digit counting 64 times the next.
    EXPECT_EQ(grid(";:;zzz\n", 3, false, {2}), (std::vector<Status>{0}));
    EXPECT_FLOAT_EQ(got[0][0], 126.0f * 4097 / 63);
    EXPECT_EQ(got[0][1], N);
}

TEST_F(CodedRows, GridTextFixedWidthLines) {
    // 300 values of one character: lines of 124, 124 and 52. The rest of a
    // long line is passed over; a "~" is a character like any other.
    const std::string line(124, ';');
    EXPECT_EQ(grid(line + "tail\n" + line + "\n" + std::string(52, '<') + "\n~;\n", 1, true, {300, 2}),
              (std::vector<Status>{0, 0}));
    EXPECT_EQ(got[0][123], 2);
    EXPECT_EQ(got[0][247], 2);
    EXPECT_EQ(got[0][248], 4);
    EXPECT_EQ(got[0][299], 4);
    EXPECT_FLOAT_EQ(got[1][0], 2.0f * ('~' - ':'));
    // 62 values of two characters and 41 of three fill a line.
    EXPECT_EQ(grid(std::string(124, ':') + "\n;;\n", 2, true, {63}), (std::vector<Status>{0}));
    EXPECT_EQ(got[0][62], 130);
    EXPECT_EQ(grid(std::string(123, ':') + "\n;;;\n", 3, true, {42}), (std::vector<Status>{0}));
    EXPECT_EQ(got[0][41], 2 * (4096 + 64 + 1));
}

TEST_F(CodedRows, GridTextDamageFailsTheRow) {
    EXPECT_EQ(grid("::\n~#\n", 2, false, {3}), (std::vector<Status>{-1001}));   // nothing before the "~"
    EXPECT_EQ(grid(":~#\n", 2, false, {3}), (std::vector<Status>{-1001}));      // fewer than n characters
    EXPECT_EQ(grid("::;\n::\n", 2, false, {2}), (std::vector<Status>{-1001})); // a value cut by the line end
    EXPECT_EQ(grid("::\n::\n", 2, false, {1, 1, 1}), (std::vector<Status>{0, 0, -1003}));
    EXPECT_EQ(grid(";;;\n", 1, true, {4}), (std::vector<Status>{-1001}));  // a fixed-width line too short
    EXPECT_EQ(grid("\n\n", 1, false, {1}), (std::vector<Status>{-1001}));  // empty lines, then the end
}

}  // namespace
}  // namespace gridlib::formats
