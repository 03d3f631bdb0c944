// One scale for many grids (-K): the histogram file a run keeps draws other
// grids with the very limits, levels and colours of the first, and it is
// written as the image is, never over an input.
#include "run_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace rastrify::testing {
namespace {

using gridlib::testing::TempDir;
using gridlib::testing::write_file;

constexpr int kColumns = 11, kRows = 12, kNorthRows = 5;

// Values rising steeply to the north, so that either half alone would be
// equalised or stretched quite differently from the whole.
double value_at(int row, int column) {
    const int from_south = kRows - 1 - row;
    return 1.0 + from_south * from_south * 7.0 + column * 3.0 + (row * column % 5);
}

// The rows [first, first + count) of the grid, northern row first.
std::string rows_of(int first, int count) {
    std::vector<double> values;
    for (int r = first; r < first + count; ++r)
        for (int c = 0; c < kColumns; ++c) values.push_back(value_at(r, c));
    return esri_grid(kColumns, count, values);
}

Bmp convert(const TempDir& dir, const std::vector<std::string>& arguments) {
    const RunResult r = run_rastrify(dir.path(), arguments);
    EXPECT_EQ(r.status, 0) << r.err;
    const auto image = read_bmp(dir.file(arguments[1]));
    EXPECT_TRUE(image) << arguments[1];
    return image.value_or(Bmp{});
}

TEST(KeptScale, HalvesDrawnWithTheWholeGridsFileMatchTheWholeImage) {
    struct Case {
        std::string name;
        std::vector<std::string> whole, half, alone;  // options of each run
    };
    for (const Case& c : std::vector<Case>{
             {"hist", {}, {}, {}},
             {"lin", {"-Hlin"}, {}, {"-Hlin"}},
             {"log", {"-Hlog", "-m2", "-M900"}, {}, {"-Hlog", "-m300", "-M900"}},
             // -I is not kept: it is given again, as any option of the drawing.
             {"inverted", {"-I"}, {"-I"}, {"-I"}},
         }) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        write_file(dir.file("whole.asc"), rows_of(0, kRows));
        write_file(dir.file("north.asc"), rows_of(0, kNorthRows));
        write_file(dir.file("south.asc"), rows_of(kNorthRows, kRows - kNorthRows));
        const auto run = [&](const std::vector<std::string>& names, const std::vector<std::string>& options) {
            std::vector<std::string> arguments = names;
            arguments.insert(arguments.end(), options.begin(), options.end());
            return convert(dir, arguments);
        };
        const Bmp whole = run({"whole.asc", "whole.bmp", "-Kscale.his"}, c.whole);
        ASSERT_EQ(std::filesystem::file_size(dir.file("scale.his")), 16394u);
        const Bmp north = run({"north.asc", "north.bmp", "scale.his"}, c.half);
        const Bmp south = run({"south.asc", "south.bmp", "scale.his"}, c.half);
        ASSERT_EQ(north.height + south.height, whole.height);
        int differing = 0;
        for (int y = 0; y < whole.height; ++y) {
            for (int x = 0; x < whole.width; ++x) {
                const int half = y < south.height ? south.pixel(x, y) : north.pixel(x, y - south.height);
                differing += half != whole.pixel(x, y);
            }
        }
        EXPECT_EQ(differing, 0);
        // Without the kept file the northern half gets a scale of its own.
        EXPECT_NE(run({"north.asc", "alone.bmp"}, c.alone).bytes, north.bytes);
    }
}

TEST(KeptScale, NoInputIsReplacedAndAFailedRunLeavesNothing) {
    TempDir dir;
    write_file(dir.file("g.asc"), rows_of(0, kRows));
    convert(dir, {"g.asc", "first.bmp", "-Kscale.his"});
    const auto kept = gridlib::testing::read_file(dir.file("scale.his"));
    const std::string what = "  The histogram file to write ";
    for (const auto& [arguments, message] : std::map<std::vector<std::string>, std::string>{
             {{"g.asc", "o.bmp", "-Kg.asc"}, what + "is a file of the input grid : g.asc"},
             {{"g.asc", "o.bmp", "scale.his", "-Kscale.his"}, what + "is the histogram file : scale.his"},
             {{"g.asc", "o.bmp", "-Ko.bmp"}, what + "is the output BMP file : o.bmp"},
             {{"g.asc", "o.png", "-G", "-Ko.pgw"}, what + "is the world file : o.pgw"},
             {{"g.asc", "o.bmp", "-K."}, what + "is not a regular file : ."},
             {{"g.asc", "o.bmp", "-Lbar.svg", "-Kbar.svg"}, what + "is the colour bar : bar.svg"},
             {{"g.asc", "o.bmp", "-K"}, "  The option -K needs the name of the histogram file to write"},
         }) {
        const RunResult r = run_rastrify(dir.path(), arguments);
        EXPECT_EQ(r.status, 1) << arguments.back();
        EXPECT_EQ(r.err, message + "\n");
    }
    EXPECT_EQ(gridlib::testing::read_file(dir.file("scale.his")), kept);

    // An image that cannot be written takes the kept file with it.
    const RunResult r = run_rastrify(dir.path(), {"g.asc", "big.bmp", "-W2000000000", "-Knew.his"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(files_in(dir.path()), (std::set<std::string>{"g.asc", "first.bmp", "scale.his"}));
}

}  // namespace
}  // namespace rastrify::testing
