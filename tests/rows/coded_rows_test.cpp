// Text rows whose values are coded in characters: compressed GXF and
// "$$GRID$$" rows, decoded row by row from a file.
#include "descriptor/grid_descriptor.h"
#include "rows/grid_text_rows.h"
#include "rows/gxf_compressed.h"
#include "rows/text_rows.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace gridlib::rows {
namespace {

using testing::TempDir;
using testing::write_file;
using Rows = std::vector<std::vector<float>>;
constexpr float N = kNullValue;

// Reads rows of the given lengths until one fails; the statuses of the reads.
class CodedRows : public ::testing::Test {
protected:
    platform::TextUnit unit(const std::string& content) {
        write_file(dir.file("g"), content);
        return *platform::TextUnit::open(dir.file("g"));
    }
    std::vector<Status> read_all(RowSource& source, const std::vector<std::size_t>& lengths) {
        std::vector<Status> statuses;
        got.clear();
        for (std::size_t k = 0; k < lengths.size(); ++k) {
            got.emplace_back(lengths[k], -7.0f);
            statuses.push_back(source.read(static_cast<std::int64_t>(k + 1), got.back()));
            if (statuses.back() != 0) break;
        }
        return statuses;
    }
    std::vector<Status> gxf(const std::string& content, int width, const std::vector<std::size_t>& lengths) {
        TextRowSource source(std::make_unique<CompressedGxfValues>(unit(content), width));
        return read_all(source, lengths);
    }
    std::vector<Status> grid(const std::string& content, int width, bool fixed_width,
                             const std::vector<std::size_t>& lengths) {
        // Minimum 0, maximum 63 * 2, divisor 63: a code v reads as 2v.
        GridTextRows source(unit(content), {width, 0.0f, 126.0f, 63.0f}, fixed_width);
        return read_all(source, lengths);
    }
    TempDir dir;
    Rows got;
};

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
}  // namespace gridlib::rows
