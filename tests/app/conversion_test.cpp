// Complete conversions through the real executable, and the failures that
// must not end as if an image had been written.
#include "run_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace rastrify::testing {
namespace {

using gridlib::testing::ByteWriter;
using gridlib::testing::TempDir;
using gridlib::testing::write_file;

constexpr int kNull = -9999;
constexpr std::uint32_t kPixelOffset = 54 + 4 * 238;  // header and scheme-2 palette

class Conversion : public ::testing::Test {
protected:
    void SetUp() override {
        // Limits 0 and 4096 make the bin width exactly 1: value v lands in bin trunc(v) + 1.
        write_file(dir.file("exact.asc"), esri_grid(3, 2, {0, 2048, 4096, 4096, kNull, 0}));
        std::vector<double> v;
        for (int i = 0; i < 6 * 5; ++i) v.push_back(i == 7 ? kNull : 100 + (i * 37) % 23);
        write_file(dir.file("g.asc"), esri_grid(6, 5, v));
    }
    RunResult run(std::vector<std::string> arguments) { return run_rastrify(dir.path(), arguments); }
    Bmp converted(std::vector<std::string> arguments) {
        const RunResult r = run(arguments);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const auto bmp = read_bmp(dir.file(arguments.at(1)));
        EXPECT_TRUE(bmp) << arguments.at(1);
        EXPECT_TRUE(working_files(dir.path()).empty());
        return bmp.value_or(Bmp{});
    }
    TempDir dir;
};

TEST_F(Conversion, LinearPixelsFromSouthToNorthWithNullWhite) {
    const Bmp b = converted({"exact.asc", "lin.bmp", "-Hlin"});
    EXPECT_EQ(b.width, 3);
    EXPECT_EQ(b.height, 2);
    EXPECT_EQ(b.bits, 8);
    EXPECT_EQ(b.colours, 238u);
    EXPECT_EQ(b.pixel_offset, kPixelOffset);
    EXPECT_EQ(b.file_size, kPixelOffset + 2 * 4);
    EXPECT_EQ(b.bytes.size(), b.file_size);
    // Bottom line is the southern row 4096, null, 0; the top line 0, 2048, 4096.
    EXPECT_EQ(b.pixel(0, 0), 237);
    EXPECT_EQ(b.pixel(1, 0), 0);
    EXPECT_EQ(b.pixel(2, 0), 2);
    EXPECT_EQ(b.pixel(0, 1), 2);
    EXPECT_EQ(b.pixel(1, 1), 120);  // bin 2049: trunc(2048 / 4096 * 236) + 2
    EXPECT_EQ(b.pixel(2, 1), 237);
    // Palette entry 0, for null cells, is white.
    EXPECT_EQ(b.bytes[54] + b.bytes[55] + b.bytes[56], 3 * 255);
}

TEST_F(Conversion, InvertedSwapsTheEndsOfTheRamp) {
    const Bmp b = converted({"exact.asc", "inv.bmp", "-I", "-Hlin"});
    EXPECT_EQ(b.pixel(0, 0), 2);
    EXPECT_EQ(b.pixel(1, 0), 0);
    EXPECT_EQ(b.pixel(2, 0), 237);
    EXPECT_EQ(b.pixel(1, 1), 119);  // level 4097 - 2049 = 2048
}

TEST_F(Conversion, HistLinLogAndGivenLimitsAllDrawTheGrid) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"g.asc", "hist.bmp"},
             {"g.asc", "lin.bmp", "-Hlin"},
             {"g.asc", "log.bmp", "-Hlog", "-m90", "-M130"},
             {"g.asc", "given.bmp", "-m105", "-M115"},
             {"g.asc", "inverted.bmp", "-I"},
         }) {
        const Bmp b = converted(args);
        EXPECT_EQ(b.width, 6) << args[1];
        EXPECT_EQ(b.height, 5) << args[1];
        EXPECT_EQ(b.file_size, kPixelOffset + 8 * 5) << args[1];
        // Row 2 from the north, column 2 is null: line 3 from the bottom.
        EXPECT_EQ(b.pixel(1, 3), 0) << args[1];
        EXPECT_GE(b.pixel(0, 0), 2) << args[1];
    }
}

TEST_F(Conversion, HhistSelectsHistogramEqualisation) {
    const Bmp plain = converted({"g.asc", "plain.bmp"});
    const Bmp hist = converted({"g.asc", "hist.bmp", "-Hlin", "-Hhist"});
    const Bmp lin = converted({"g.asc", "lin.bmp", "-Hlin"});
    EXPECT_EQ(hist.bytes, plain.bytes);
    EXPECT_NE(lin.bytes, plain.bytes);
}

TEST_F(Conversion, WidthReplicatesOrSkipsPixels) {
    const Bmp wider = converted({"g.asc", "w12.bmp", "-W12"});
    EXPECT_EQ(wider.width, 12);
    EXPECT_EQ(wider.height, 10);
    const Bmp narrower = converted({"g.asc", "w3.bmp", "-w3"});
    EXPECT_EQ(narrower.width, 3);  // every 2nd column of 6, from the first
    EXPECT_EQ(narrower.height, 3);
    const Bmp zero = converted({"g.asc", "w0.bmp", "-W0"});
    const Bmp negative = converted({"g.asc", "wneg.bmp", "-W-5"});
    EXPECT_EQ(zero.width, 6);
    EXPECT_EQ(negative.width, 6);
}

TEST_F(Conversion, HistogramFileSuppliesLimitsAndReadyLevels) {
    ByteWriter w;
    w.i16(0).f32(0.0f).f32(4096.0f);
    for (int i = 0; i < 4096; ++i) w.i32(i < 2048 ? 4096 : 1);  // used as is, not equalised
    write_file(dir.file("levels.his"), w.bytes());
    const RunResult r = run({"exact.asc", "his.bmp", "-m1", "-M2", "levels.his"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, start_text() + "  The supplied min and max values will be ignored\n");
    const auto b = read_bmp(dir.file("his.bmp"));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->pixel(2, 0), 237);  // value 0: bin 1, level 4096
    EXPECT_EQ(b->pixel(0, 0), 2);    // value 4096: bin 4096, level 1
    EXPECT_EQ(b->pixel(1, 1), 2);    // value 2048: bin 2049, level 1
}

TEST_F(Conversion, ShortHistogramFileStops) {
    write_file(dir.file("short.his"), std::string(16393, '\0'));
    const RunResult r = run({"g.asc", "out.bmp", "short.his"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "  The histogram file is shorter than 16394 bytes : short.his\n");
    EXPECT_FALSE(read_bmp(dir.file("out.bmp")));
    EXPECT_TRUE(working_files(dir.path()).empty());
}

TEST_F(Conversion, SingleValuedGridDrawsInTheFirstColourInLinAndHist) {
    write_file(dir.file("flat.asc"), esri_grid(3, 2, {7, 7, kNull, 7, 7, 7}));
    write_file(dir.file("high.asc"), esri_grid(3, 2, {1e6, 1e6, 1e6, 1e6, 1e6, 1e6}));
    for (const auto& args : std::vector<std::vector<std::string>>{{"flat.asc", "lin.bmp", "-Hlin"},
                                                                  {"flat.asc", "hist.bmp"},
                                                                  {"high.asc", "highlin.bmp", "-Hlin"},
                                                                  {"high.asc", "highhist.bmp"}}) {
        const Bmp b = converted(args);
        EXPECT_EQ(b.pixel(0, 0), 2) << args[1];
        EXPECT_EQ(b.pixel(2, 1), args[0] == "flat.asc" ? 0 : 2) << args[1];
    }
}

TEST_F(Conversion, GridWithoutValidValuesIsNotReportedAsSuccess) {
    write_file(dir.file("empty.asc"), esri_grid(3, 2, {kNull, kNull, kNull, kNull, kNull, kNull}));
    // Given limits do not help: an image of nothing but null cells is still a failure.
    for (const auto& options : std::vector<std::vector<std::string>>{{"-Hhist"}, {"-Hlin"}, {"-m0", "-M10"}}) {
        std::vector<std::string> args{"empty.asc", "out.bmp"};
        args.insert(args.end(), options.begin(), options.end());
        const RunResult r = run(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "  The grid holds no valid value: there is nothing to draw\n");
    }
    EXPECT_FALSE(read_bmp(dir.file("out.bmp")));
    EXPECT_TRUE(working_files(dir.path()).empty());
}

TEST_F(Conversion, LinKeepsASpreadBelowOneMillionth) {
    // Only a single-valued grid is widened; a tiny but real spread (gradients
    // in SI units span 1e-9) must still run through the whole ramp.
    write_file(dir.file("fine.asc"), esri_grid(3, 2, {0.0, 5e-8, 1e-7, 1e-7, 5e-8, 0.0}));
    const Bmp b = converted({"fine.asc", "fine.bmp", "-Hlin"});
    EXPECT_EQ(b.pixel(0, 1), 2);
    EXPECT_EQ(b.pixel(2, 1), 237);
    EXPECT_GT(b.pixel(1, 1), 100);
    EXPECT_LT(b.pixel(1, 1), 140);
}

TEST_F(Conversion, UnreadableRowIsNamed) {
    // The header promises 4 rows; the file ends after 2.
    write_file(dir.file("cut.asc"), "ncols 3\nnrows 4\nxllcorner 0\nyllcorner 0\ncellsize 1\n"
                                    "NODATA_value -9999\n1 2 3\n4 5 6\n");
    const RunResult r = run({"cut.asc", "out.bmp"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "  The grid data could not be read : row 3 could not be read "
                     "(it is missing, short or not a number) (status -1003)\n");
    EXPECT_FALSE(read_bmp(dir.file("out.bmp")));
    EXPECT_EQ(files_in(dir.path()), (std::set<std::string>{"cut.asc", "exact.asc", "g.asc"}));
}

TEST_F(Conversion, CodedTextGridsConvertInEveryDistribution) {
    // 4 x 3 cells, the north-west one null, the smallest value in the
    // south-west corner and the largest in the north-east. A compressed GXF grid of two characters a value,
    // stored by columns from the south-west corner up...
    write_file(dir.file("c.gxf"), "#POINTS\n3\n#ROWS\n4\n#SENSE\n-1\n#GTYPE\n2\n#GRID\n"
                                  "%0%:!!\n%1%;%E\n%2%<%F\n%3%=%G\n");
    // ...and a "$$GRID$$" grid of one character a value, rows from the north.
    const std::string blanks(20, ' ');
    write_file(dir.file("coded.grid"),
               "$$GRID$$   4   3" + blanks.substr(0, 12) + "   1\n" + blanks.substr(0, 14) + "   1   0" +
                   blanks.substr(0, 18) + "       0.0      60.0" + blanks.substr(0, 10) + "      40.0       0.0\n" +
                   "      10.0      20.0" + blanks + "       0.0      63.0\n" + "z;<y\n>?@A\n:B~:\n");
    for (const std::string grid : {"c.gxf", "coded.grid"}) {
        for (const auto& options : std::vector<std::vector<std::string>>{{}, {"-Hlin"}, {"-Hlog", "-m1", "-M300"}}) {
            std::vector<std::string> args{grid, "out.bmp"};
            args.insert(args.end(), options.begin(), options.end());
            const Bmp b = converted(args);
            EXPECT_EQ(b.width, 4) << grid;
            EXPECT_EQ(b.height, 3) << grid;
            EXPECT_EQ(b.pixel(0, 2), 0) << grid;  // null: white
            EXPECT_LT(b.pixel(0, 0), b.pixel(3, 2)) << grid;
            if (options.empty()) {
                EXPECT_EQ(b.pixel(0, 0), 2) << grid;  // the smallest value: the first colour
            }
        }
    }
    // Nothing is left of the transposition of the stored columns.
    EXPECT_EQ(files_in(dir.path()), (std::set<std::string>{"c.gxf", "coded.grid", "exact.asc", "g.asc", "out.bmp"}));

    write_file(dir.file("cut.gxf"), "#POINTS\n3\n#ROWS\n2\n#GTYPE\n2\n#GRID\n%%%&%'\n%%%\n");
    const RunResult r = run({"cut.gxf", "cut.bmp"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "  The grid data could not be read : row 2 could not be read "
                     "(it is missing, short, not a number or not validly coded) (status -1002)\n");
}

TEST_F(Conversion, HistogramRefusalIsReported) {
    // -M alone leaves the lower limit at the null value, which the histogram refuses.
    const RunResult r = run({"g.asc", "out.bmp", "-M500"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("  The histogram could not be computed : "), std::string::npos) << r.err;
    EXPECT_FALSE(read_bmp(dir.file("out.bmp")));
}

TEST_F(Conversion, ImageTooLargeForBmpIsRefused) {
    const RunResult r = run({"g.asc", "huge.bmp", "-W2147483647"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "  The BMP file could not be written : the image would be too large for the BMP format "
                     "(status -2)\n");
    EXPECT_EQ(files_in(dir.path()), (std::set<std::string>{"exact.asc", "g.asc"}));
}

TEST_F(Conversion, ImageThatCannotBeWrittenIsReported) {
    const RunResult r = run({"g.asc", "no/such/dir/out.bmp"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "  The working grid file could not be created in no/such/dir/\n");

    // A file-size limit lets the small working grid through but stops the
    // enlarged image: the write fails (the limit's signal is ignored), the
    // run says so, and neither file is left.
    const std::string command = "cd '" + dir.path() + "' && ulimit -f 64 && '" + rastrify_path() +
                                "' g.asc big.bmp -W4000 < /dev/null > out.txt 2> err.txt";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    EXPECT_EQ(gridlib::testing::read_text(dir.file("err.txt")),
              "  The BMP file could not be written : the image file could not be written (status -3)\n");
    EXPECT_EQ(files_in(dir.path()), (std::set<std::string>{"exact.asc", "g.asc", "out.txt", "err.txt"}));
}

}  // namespace
}  // namespace rastrify::testing
