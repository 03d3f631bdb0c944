// A GeoTIFF through the converter: a PNG with its world file where GDAL
// places the grid, and a band chosen by "?N" drawn as a shaded relief.
#include "run_support.h"

#include "support/png_decode.h"
#include "support/samples.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace rastrify::testing {
namespace {

using gridlib::testing::decode_png;
using gridlib::testing::read_text;
using gridlib::testing::TempDir;
using gridlib::testing::test_data;

TEST(GeotiffConversion, PngWithWorldFileWhereGdalPlacesTheGrid) {
    TempDir dir;
    // Tiles of 16 x 16 over 33 x 17 cells, Deflate; GDAL's origin 431000.25,
    // 5204000.75 and cells of 12.5 x 10.
    std::filesystem::copy_file(test_data("geotiff/f32_tiles_deflate.tif"), dir.file("dem.tif"));
    const RunResult r = run_rastrify(dir.path(), {"dem.tif", "dem.png", "-G"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto png = decode_png(dir.file("dem.png"));
    ASSERT_TRUE(png);
    EXPECT_EQ(png->width, 33u);
    EXPECT_EQ(png->height, 17u);
    std::istringstream world(read_text(dir.file("dem.pgw")));
    double w[6] = {};
    for (double& v : w) world >> v;
    // Pixel size, rotations, then the centre of the upper-left pixel (to
    // the descriptor's 32-bit precision, half a unit at 5e6).
    EXPECT_DOUBLE_EQ(w[0], 12.5);
    EXPECT_DOUBLE_EQ(w[3], -10.0);
    EXPECT_NEAR(w[4], 431000.25 + 6.25, 0.5);
    EXPECT_NEAR(w[5], 5204000.75 - 5.0, 0.5);
}

TEST(GeotiffConversion, SecondBandAsShadedRelief) {
    TempDir dir;
    std::filesystem::copy_file(test_data("geotiff/i16_two_bands_band.tif"), dir.file("two.tif"));
    const RunResult r = run_rastrify(dir.path(), {"two.tif?2", "relief.bmp", "-S"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.file("relief.bmp")));
    // The input is never touched, and no temporary file is left beside it.
    EXPECT_EQ(files_in(dir.path()), (std::set<std::string>{"two.tif", "relief.bmp"}));
}

}  // namespace
}  // namespace rastrify::testing
