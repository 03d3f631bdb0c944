// PNG output and world files through the real executable: the PNG of a run
// holds the BMP's indices and palette with null cells transparent, the world
// file places the image where GDAL places the grid, and a run that stops
// leaves neither behind.
#include "run_support.h"

#include "support/gdal_info.h"
#include "support/png_decode.h"
#include "support/samples.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace rastrify::testing {
namespace {

using gridlib::testing::decode_png;
using gridlib::testing::gdal_geotransform;
using gridlib::testing::read_text;
using gridlib::testing::TempDir;
using gridlib::testing::write_file;

class PngAndWorldFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<double> v;
        for (int i = 0; i < 6 * 5; ++i) v.push_back(i == 9 ? -9999 : 100 + (i * 37) % 23);
        write_file(dir.file("g.asc"), esri_grid(6, 5, v));  // lower-left corner 1000, 2000; cells of 10
    }
    RunResult run(const std::vector<std::string>& arguments) { return run_rastrify(dir.path(), arguments); }
    // A run that must stop with `message` and leave only the files there were.
    void expect_stopped(const std::vector<std::string>& arguments, const std::string& message) {
        const auto before = files_in(dir.path());
        const RunResult r = run(arguments);
        EXPECT_EQ(r.status, 1) << arguments[1];
        EXPECT_EQ(r.err, " " + message + "\n") << arguments[1];
        EXPECT_EQ(files_in(dir.path()), before) << arguments[1];
    }
    TempDir dir;
};

TEST_F(PngAndWorldFile, PngHoldsTheIndicesAndPaletteOfTheBmp) {
    // hist, lin, log, inverted; enlarged (15 pixels for 6 columns: 3 each) and reduced (every 2nd cell).
    for (const std::vector<std::string>& options : std::vector<std::vector<std::string>>{
             {}, {"-Hlin"}, {"-Hlog", "-m90", "-M130"}, {"-I"}, {"-W15", "-Hlin"}, {"-W3", "-I"}}) {
        std::vector<std::string> args = {"g.asc", "g.bmp"};
        args.insert(args.end(), options.begin(), options.end());
        ASSERT_EQ(run(args).status, 0);
        args[1] = "g.PNG";
        const RunResult r = run(args);
        ASSERT_EQ(r.status, 0) << r.err;
        const auto bmp = read_bmp(dir.file("g.bmp"));
        const auto png = decode_png(dir.file("g.PNG"));
        ASSERT_TRUE(bmp && png);
        SCOPED_TRACE(options.empty() ? "hist" : options[0]);
        ASSERT_EQ(png->width, static_cast<std::uint32_t>(bmp->width));
        ASSERT_EQ(png->height, static_cast<std::uint32_t>(bmp->height));
        ASSERT_TRUE(png->indexed);
        ASSERT_EQ(png->palette.size(), bmp->colours);
        for (std::size_t p = 0; p < png->palette.size(); ++p) {
            const std::size_t at = 54 + 4 * p;  // blue, green, red, 0
            EXPECT_EQ(png->palette[p], (std::array<int, 3>{bmp->bytes[at + 2], bmp->bytes[at + 1], bmp->bytes[at]}));
        }
        EXPECT_EQ(png->palette_alpha, std::vector<int>{0});  // the null colour, white, transparent
        bool null_seen = false;
        for (int y = 0; y < bmp->height; ++y)
            for (int x = 0; x < bmp->width; ++x) {
                const int index = bmp->pixel(x, bmp->height - 1 - y);  // the BMP from the bottom, the PNG from the top
                EXPECT_EQ(png->pixels[static_cast<std::size_t>(y * bmp->width + x)], static_cast<std::uint32_t>(index));
                null_seen = null_seen || index == 0;
            }
        EXPECT_EQ(null_seen, (options != std::vector<std::string>{"-W3", "-I"}));  // reduced, the null cell is left out
    }
    EXPECT_EQ(files_in(dir.path()), (std::set<std::string>{"g.PNG", "g.asc", "g.bmp"}));
}

TEST_F(PngAndWorldFile, WorldFileBesideTheImageAsWritten) {
    // 6 x 5 cells of 10 from the corner (1000, 2000): the upper-left cell's centre is (1005, 2045).
    ASSERT_EQ(run({"g.asc", "g.png", "-G"}).status, 0);
    EXPECT_EQ(read_text(dir.file("g.pgw")), "10\n0\n0\n-10\n1005\n2045\n");
    // Enlarged twice: pixels of 5, the first a quarter cell in from the corner (1000, 2050).
    ASSERT_EQ(run({"g.asc", "g.bmp", "-W12", "-G"}).status, 0);
    EXPECT_EQ(read_text(dir.file("g.bpw")), "5\n0\n0\n-5\n1002.5\n2047.5\n");
    EXPECT_EQ(files_in(dir.path()), (std::set<std::string>{"g.asc", "g.bmp", "g.bpw", "g.png", "g.pgw"}));
}

TEST_F(PngAndWorldFile, WorldFileKeepsTheDigitsOfTheHeader) {
    // The grid users reported: 50 x 50 cells of 0.3 m at Web Mercator
    // eastings, where 32-bit reals are 2 m apart and the image came out a
    // whole pixel off. GDAL puts the upper-left centre at (-13623456.55, 4545693.70).
    std::string grid = "ncols 50\nnrows 50\nxllcorner -13623456.7\nyllcorner 4545678.85\ncellsize 0.3\n";
    for (int k = 0; k < 50 * 50; ++k) grid += std::to_string(k % 97) + (k % 50 == 49 ? "\n" : " ");
    write_file(dir.file("m.asc"), grid);
    ASSERT_EQ(run({"m.asc", "m.png", "-G"}).status, 0);
    std::istringstream lines(read_text(dir.file("m.pgw")));
    std::array<double, 6> w{};
    for (double& v : w) lines >> v;
    EXPECT_NEAR(w[0], 0.3, 1e-12);
    EXPECT_NEAR(w[3], -0.3, 1e-12);
    EXPECT_NEAR(w[4], -13623456.55, 1e-6 * 0.3);
    EXPECT_NEAR(w[5], 4545693.70, 1e-6 * 0.3);
}

TEST_F(PngAndWorldFile, GdalPlacesThePngWhereItPlacesTheGrid) {
    if (std::system("gdalinfo --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no gdalinfo";
    // A corner and a centre origin, grid nodes, and a Surfer 7 grid written by GDAL.
    for (const char* sample : {"esri_corner.asc", "esri_centre.asc", "gxf_nodes.gxf", "surfer7.grd"}) {
        const std::string input = gridlib::testing::gdal_sample(sample);
        const RunResult r = run({input, "map.png", "-G"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(gdal_geotransform(dir.file("map.png")), gdal_geotransform(input)) << sample;
    }
}

TEST_F(PngAndWorldFile, RefusalsAndFailuresLeaveNoImageAndNoWorldFile) {
    write_file(dir.file("w.pgw"), read_text(dir.file("g.asc")));  // an ESRI grid by its content
    expect_stopped({"w.pgw", "w.png", "-G"}, " The world file is a file of the input grid : w.pgw");
    std::filesystem::create_directory(dir.file("d.bpw"));
    expect_stopped({"g.asc", "d.bmp", "-G"}, " The world file is not a regular file : d.bpw");
    write_file(dir.file("h.pgw"), std::string(16394, '\0'));
    expect_stopped({"g.asc", "h.png", "h.pgw", "-G"}, " The world file is the histogram file : h.pgw");
    std::filesystem::create_directory(dir.file("dir.png"));
    expect_stopped({"g.asc", "dir.png", "-G"}, " The output PNG file is not a regular file : dir.png");
    write_file(dir.file("empty.asc"), esri_grid(2, 2, {-9999, -9999, -9999, -9999}));
    expect_stopped({"empty.asc", "e.png", "-G"}, " The grid holds no valid value: there is nothing to draw");

    // The world file cannot be written (its name links into a missing
    // folder): the image drawn before it goes again.
    std::filesystem::create_symlink("missing/x.pgw", dir.file("x.pgw"));
    expect_stopped({"g.asc", "x.png", "-G"},
                   " The world file x.pgw could not be written : the file could not be written (status -3)");
}

// A Surfer 7 grid of 3 x 2 cells whose x spacing is not a number: it draws,
// but cannot be placed on a map.
std::vector<std::byte> surfer7_without_spacing() {
    gridlib::testing::ByteWriter w;
    w.text("DSRB").i32(4).i32(2).text("GRID").i32(72).i32(2).i32(3);
    w.f64(0).f64(0).f64(std::nan("")).f64(1).f64(1).f64(6).f64(0).f64(1.70141e38);
    w.text("DATA").i32(48);
    for (int k = 1; k <= 6; ++k) w.f64(k);
    return w.bytes();
}

TEST_F(PngAndWorldFile, AWorldFileThatCannotBeWrittenLeavesTheEarlierOutputsAsTheyWere) {
    const std::string earlier = "an image from an earlier run", earlier_world = "1\n0\n0\n-1\n0\n0\n";
    write_file(dir.file("nan.grd"), surfer7_without_spacing());
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::vector<Case> cases = {
        // The world file's name links into a missing folder.
        {"dangling world file link", {"g.asc", "x.png", "-G"},
         " The world file x.pgw could not be written : the file could not be written (status -3)"},
        // The output links to an unrelated file, which must survive.
        {"output is a link", {"g.asc", "link.png", "-G"},
         " The world file link.pgw could not be written : the file could not be written (status -3)"},
        {"spacing not a number", {"nan.grd", "n.png", "-G"},
         " The world file n.pgw could not be written : the grid's cell size is zero or not a number (status -1)"},
    };
    std::filesystem::create_symlink("missing/x.pgw", dir.file("x.pgw"));
    write_file(dir.file("x.png"), earlier);
    write_file(dir.file("unrelated.png"), earlier);
    std::filesystem::create_symlink("unrelated.png", dir.file("link.png"));
    std::filesystem::create_symlink("missing/link.pgw", dir.file("link.pgw"));
    write_file(dir.file("n.png"), earlier);
    write_file(dir.file("n.pgw"), earlier_world);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expect_stopped(c.arguments, c.message);
    }
    EXPECT_EQ(read_text(dir.file("x.png")), earlier);
    EXPECT_EQ(read_text(dir.file("unrelated.png")), earlier);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.png")));
    EXPECT_EQ(read_text(dir.file("n.png")), earlier);
    EXPECT_EQ(read_text(dir.file("n.pgw")), earlier_world);
}

TEST_F(PngAndWorldFile, PngWhoseBlockNoMachineHoldsIsRefusedBeforeItIsBegun) {
    // 6 columns to 2e9 pixels: a line of 2e9 bytes stored 333333333 times,
    // whose compressed stream alone needs more than 6e14 bytes. The sides
    // fit the format; the run would never end. The message names the memory.
    const std::string prefix = "  The PNG file could not be written : the process may use ";
    const std::string middle = " bytes of memory and a block of the image's lines needs ";
    for (const char* shading : {"-Hlin", "-S"}) {
        const auto before = files_in(dir.path());
        const RunResult r = run({"g.asc", "big.png", "-W2000000000", shading, "-G"});
        EXPECT_EQ(r.status, 1) << shading;
        ASSERT_EQ(r.err.rfind(prefix, 0), 0u) << r.err;
        const auto at = r.err.find(middle);
        ASSERT_NE(at, std::string::npos) << r.err;
        EXPECT_GT(std::stod(r.err.substr(at + middle.size())), 6e14) << r.err;
        EXPECT_TRUE(r.err.ends_with(" (status -2)\n")) << r.err;
        EXPECT_EQ(files_in(dir.path()), before) << shading;
    }
}

TEST_F(PngAndWorldFile, NetcdfGridNamedAsGmtNamesItAndOneVariableOfSeveral) {
    // GMT's gridline grid: 7 x 5 nodes, 0.5 by 0.25 apart, the north-western
    // at (-10, 21) and null, as is the sixth of the second row.
    std::filesystem::copy_file(gridlib::testing::test_data("netcdf/gmt_gridline.grd"), dir.file("z.grd"));
    ASSERT_EQ(run({"z.grd", "z.png", "-G"}).status, 0);
    EXPECT_EQ(read_text(dir.file("z.pgw")), "0.5\n0\n0\n-0.25\n-10\n21\n");
    const auto png = decode_png(dir.file("z.png"));
    ASSERT_TRUE(png);
    ASSERT_EQ(png->width, 7u);
    ASSERT_EQ(png->height, 5u);
    for (std::size_t p = 0; p < png->pixels.size(); ++p) EXPECT_EQ(png->pixels[p] == 0, p == 0 || p == 12) << p;

    std::filesystem::copy_file(gridlib::testing::test_data("netcdf/cf_two_variables.nc"), dir.file("two.nc"));
    const RunResult r = run({"two.nc?Band2", "b.png", "-G"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_text(dir.file("b.pgw")), "0.125\n0\n0\n-0.125\n30.3125\n-12.0625\n");
    expect_stopped({"two.nc?Band3", "c.png"},
                   " The grid file two.nc?Band3 could not be read : the netCDF file holds no numeric variable of two "
                   "or more dimensions, or none of the name selected (status -2902)");
}

}  // namespace
}  // namespace rastrify::testing
